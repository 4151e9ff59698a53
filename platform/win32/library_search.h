#pragma once

#include <string>

namespace talvex::platform::win32 {

// Takes the current folder and the PATH out of the places Windows looks for a library the program
// loads: the program's own folder and the system's remain. False when Windows cannot.
bool restrict_library_search();

// The folder of the program's file as a path for an API that reads paths in the ANSI code page (the
// client library's plugin folder): the folder in that code page, or its short name where the code
// page cannot hold it. Empty when Windows does not say where the program is.
std::string program_folder_ansi();

}  // namespace talvex::platform::win32
