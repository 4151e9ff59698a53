#pragma once

#include <chrono>
#include <cstdint>

namespace talvex::platform {

// The local wall-clock time, and waiting.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds from 1970-01-01 00:00:00.000 to now, both read as local wall-clock time
  // (negative before 1970).
  virtual std::int64_t local_now_ms() const = 0;
  // Blocks the calling thread for `duration`; nothing else runs meanwhile.
  virtual void pause(std::chrono::milliseconds duration) = 0;
};

// The system clock in the computer's time zone.
class SystemClock final : public Clock {
 public:
  std::int64_t local_now_ms() const override;
  void pause(std::chrono::milliseconds duration) override;
};

}  // namespace talvex::platform
