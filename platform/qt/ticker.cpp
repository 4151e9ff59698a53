#include "platform/qt/ticker.h"

namespace talvex::platform::qt {

Ticker::Ticker(std::chrono::milliseconds interval, std::function<void()> tick)
    : tick_(std::move(tick)) {
  timer_.setInterval(interval);
  QObject::connect(&timer_, &QTimer::timeout, [this] { tick_(); });
}

}  // namespace talvex::platform::qt
