// The system clock on Windows, in the time zone that the test's environment gives Wine
// (TZ=IST-5:30: half an hour off the hour, and no summer time to step into).

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

#include "platform/clock.h"

namespace talvex::platform {
namespace {

std::int64_t utc_now_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

TEST(Win32Clock, LocalTimeIsTheZonesOffsetAheadOfUtc) {
  const SystemClock clock;
  const std::int64_t before = utc_now_ms();
  const std::int64_t local = clock.local_now_ms();
  const std::int64_t after = utc_now_ms();
  constexpr std::int64_t kOffsetMs = (5 * 60 + 30) * 60 * 1000;
  // Windows may read its time from a copy it refreshes now and then: a second either way is still
  // far from any other offset.
  constexpr std::int64_t kSlackMs = 1000;
  EXPECT_GE(local, before + kOffsetMs - kSlackMs);
  EXPECT_LE(local, after + kOffsetMs + kSlackMs);
}

}  // namespace
}  // namespace talvex::platform
