#pragma once

#include <string>
#include <vector>

namespace talvex::platform::win32 {

// The arguments after the program's name, in UTF-8 whatever the system's code page: the C
// runtime's argv would carry a Cyrillic password in the ANSI code page, or lose it.
std::vector<std::string> program_arguments();

// A program without a console window of its own (it lives in the notification area) writes its
// help, version and messages to the console it was started from, if any. Standard output and
// error that already lead somewhere (a file, a pipe) are kept. Returns whether the messages reach
// anyone that way; started from the desktop, at login or from a shortcut, they do not.
bool write_to_starting_console();

}  // namespace talvex::platform::win32
