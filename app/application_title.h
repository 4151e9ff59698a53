#pragma once

#include <string>
#include <string_view>

namespace talvex::app {

// The application title made from the program file's path: the file name without its directory
// ("/" or "\"), cut at its first dot, every character after the first in lower case.
// "/opt/TALVEX.Service.exe" gives "Talvex".
std::string application_title(std::string_view program_path);

}  // namespace talvex::app
