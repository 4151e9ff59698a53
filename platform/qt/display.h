#pragma once

#include <optional>
#include <string>

namespace talvex::platform::qt {

// Before the application object: a program started without a display, or with an X display that
// does not answer, runs on Qt's offscreen platform instead of failing, and a closed pipe is an
// error of the write, not the end of the process.
void prepare_process();

// After the application object: whether there is a screen a person can see the windows on.
bool has_display();

// After the application object: the X display (DISPLAY) that was asked for and did not answer, so
// that the program runs without a window.
std::optional<std::string> unanswered_display();

}  // namespace talvex::platform::qt
