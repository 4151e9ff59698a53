#pragma once

#include <QTimer>

#include <chrono>
#include <functional>

namespace talvex::platform::qt {

// A repeating timer on the user-interface thread. Ticks are delivered by the event loop; a tick
// that falls due while the thread is busy comes once when it is free, never as a burst.
class Ticker final {
 public:
  Ticker(std::chrono::milliseconds interval, std::function<void()> tick);
  Ticker(const Ticker&) = delete;
  Ticker& operator=(const Ticker&) = delete;

  void start() { timer_.start(); }

 private:
  QTimer timer_;
  std::function<void()> tick_;
};

}  // namespace talvex::platform::qt
