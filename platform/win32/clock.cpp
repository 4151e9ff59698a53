#include "platform/clock.h"

#include <windows.h>

namespace talvex::platform {

std::int64_t SystemClock::local_now_ms() const {
  // The local wall-clock time as the system keeps it (its time zone and daylight saving applied),
  // counted as if it were UTC: FILETIME counts 100 ns from 1601-01-01, 11,644,473,600 s before
  // 1970-01-01.
  SYSTEMTIME local{};
  GetLocalTime(&local);
  FILETIME file{};
  SystemTimeToFileTime(&local, &file);
  ULARGE_INTEGER ticks{};
  ticks.LowPart = file.dwLowDateTime;
  ticks.HighPart = file.dwHighDateTime;
  constexpr std::int64_t kEpochMs = 11644473600000LL;
  return static_cast<std::int64_t>(ticks.QuadPart / 10000) - kEpochMs;
}

}  // namespace talvex::platform
