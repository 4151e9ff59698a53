#include "platform/character_height.h"

#include <algorithm>
#include <cstdint>

namespace talvex::platform {

int character_height(int points, int dpi) {
  const std::int64_t product = static_cast<std::int64_t>(points) * dpi;
  const std::int64_t half = product >= 0 ? 36 : -36;
  return std::max(1, static_cast<int>((product + half) / 72));
}

}  // namespace talvex::platform
