#pragma once

#include <chrono>
#include <functional>

namespace talvex::platform::win32 {

// A repeating timer on the user-interface thread (SetTimer). Ticks are delivered by the thread's
// message loop; Windows keeps at most one tick waiting, so a tick that falls due while the thread
// is busy comes once when it is free, never as a burst.
class Ticker final {
 public:
  Ticker(std::chrono::milliseconds interval, std::function<void()> tick);
  ~Ticker();
  Ticker(const Ticker&) = delete;
  Ticker& operator=(const Ticker&) = delete;

  void start();

 private:
  std::chrono::milliseconds interval_;
  std::function<void()> tick_;
  unsigned long long timer_ = 0;  // the system's id once started
};

}  // namespace talvex::platform::win32
