#include "platform/win32/ticker.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>

#include "tests/support/win32_dispatch.h"

namespace talvex::platform::win32 {
namespace {

// Runs the thread's message loop until `done` holds; false when it did not within ten seconds.
template <typename Done>
bool run_messages_until(Done done) {
  return testing::dispatch_until(done, std::chrono::seconds(10));
}

TEST(Win32Ticker, EachTickerTicksAtItsOwnIntervalThroughTheMessageLoop) {
  int fast = 0;
  int slow = 0;
  std::chrono::steady_clock::duration until_slow{};
  const auto started = std::chrono::steady_clock::now();
  Ticker fast_ticker(std::chrono::milliseconds(5), [&] { ++fast; });
  Ticker slow_ticker(std::chrono::milliseconds(200), [&] {
    if (++slow == 1)
      until_slow = std::chrono::steady_clock::now() - started;
  });
  fast_ticker.start();
  slow_ticker.start();
  ASSERT_TRUE(run_messages_until([&] { return slow == 1 && fast >= 3; }))
      << "the timers did not tick: fast " << fast << ", slow " << slow;
  // A timer never falls due before its interval (give or take the system's timer resolution).
  EXPECT_GE(until_slow, std::chrono::milliseconds(150));
}

TEST(Win32Ticker, ATickerThatIsGoneTicksNoMore) {
  int ticks = 0;
  int other = 0;
  {
    Ticker gone(std::chrono::milliseconds(5), [&] { ++ticks; });
    gone.start();
    ASSERT_TRUE(run_messages_until([&] { return ticks == 1; })) << "the timer never ticked";
  }
  Ticker still(std::chrono::milliseconds(50), [&] { ++other; });
  still.start();
  ASSERT_TRUE(run_messages_until([&] { return other == 3; })) << "the other timer ticked " << other;
  EXPECT_EQ(ticks, 1);
}

}  // namespace
}  // namespace talvex::platform::win32
