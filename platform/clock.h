#pragma once

#include <cstdint>

namespace talvex::platform {

// The local wall-clock time.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds from 1970-01-01 00:00:00.000 to now, both read as local wall-clock time
  // (negative before 1970).
  virtual std::int64_t local_now_ms() const = 0;
};

// The system clock in the computer's time zone.
class SystemClock final : public Clock {
 public:
  std::int64_t local_now_ms() const override;
};

}  // namespace talvex::platform
