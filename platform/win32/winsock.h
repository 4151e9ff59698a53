#pragma once

namespace talvex::platform::win32 {

// Starts Windows Sockets for the process once, before its first socket call.
void start_winsock();

}  // namespace talvex::platform::win32
