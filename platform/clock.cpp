#include "platform/clock.h"

#include <thread>

namespace talvex::platform {

void SystemClock::pause(std::chrono::milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

}  // namespace talvex::platform
