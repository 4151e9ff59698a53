#pragma once

namespace talvex::platform::qt {

// Before the application object: a program started without a display runs on Qt's offscreen
// platform instead of failing, and a closed pipe is an error of the write, not the end of the
// process.
void prepare_process();

// After the application object: whether there is a screen a person can see the windows on.
bool has_display();

}  // namespace talvex::platform::qt
