#include "platform/clock.h"

#include <stdlib.h>

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <optional>
#include <string>

namespace talvex::platform {
namespace {

// Puts the process in the time zone `tz` (a POSIX TZ value) and back in its own at destruction.
class TimeZone {
 public:
  explicit TimeZone(const char* tz) {
    if (const char* old = std::getenv("TZ"))
      old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~TimeZone() {
    if (old_)
      setenv("TZ", old_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  TimeZone(const TimeZone&) = delete;
  TimeZone& operator=(const TimeZone&) = delete;

 private:
  std::optional<std::string> old_;
};

std::int64_t utc_now_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

struct ZoneCase {
  const char* name;
  const char* tz;          // POSIX zones without summer time: their sign is west of Greenwich
  std::int64_t offset_ms;  // local wall-clock time minus UTC
};

class SystemClockZoneTest : public ::testing::TestWithParam<ZoneCase> {};

TEST_P(SystemClockZoneTest, LocalTimeIsUtcPlusTheZonesOffset) {
  const ZoneCase& c = GetParam();
  const TimeZone zone(c.tz);
  SystemClock clock;
  const std::int64_t before = utc_now_ms();
  const std::int64_t local = clock.local_now_ms();
  const std::int64_t after = utc_now_ms();
  EXPECT_GE(local, before + c.offset_ms);
  EXPECT_LE(local, after + c.offset_ms);
}

INSTANTIATE_TEST_SUITE_P(Zones, SystemClockZoneTest,
                         ::testing::Values(ZoneCase{"Utc", "UTC0", 0},
                                           ZoneCase{"FiveHoursEast", "<+05>-5", 5 * 3600 * 1000},
                                           ZoneCase{"ThreeHoursWest", "<-03>3", -3 * 3600 * 1000},
                                           ZoneCase{"FiveAndAHalfHoursEast", "<+0530>-5:30",
                                                    19800 * 1000}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
}  // namespace talvex::platform
