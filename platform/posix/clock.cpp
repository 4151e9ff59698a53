#include "platform/clock.h"

#include <chrono>
#include <ctime>

namespace talvex::platform {

std::int64_t SystemClock::local_now_ms() const {
  const auto now = std::chrono::system_clock::now();
  const std::int64_t utc_ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  return utc_ms + static_cast<std::int64_t>(local.tm_gmtoff) * 1000;
}

}  // namespace talvex::platform
