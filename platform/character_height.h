#pragma once

namespace talvex::platform {

// Character height in dots of a size of `points` on a device of `dpi` dots per inch: points * dpi
// / 72 with halves rounded away from zero, never below one dot. Every renderer sizes its fonts so.
int character_height(int points, int dpi);

}  // namespace talvex::platform
