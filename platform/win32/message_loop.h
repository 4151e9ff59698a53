#pragma once

namespace talvex::platform::win32 {

// Runs the user-interface thread's message loop until end_message_loop() is called on it; returns
// the code given there.
int run_message_loop();

// Ends the loop once the messages before it are handled.
void end_message_loop(int code = 0);

}  // namespace talvex::platform::win32
