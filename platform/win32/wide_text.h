#pragma once

#include <string>
#include <string_view>

namespace talvex::platform::win32 {

// UTF-8, the engine's text, to and from UTF-16, the Windows API's.
std::wstring wide(std::string_view text);
std::string utf8(std::wstring_view text);

// The system's text for an error code (GetLastError, WSAGetLastError), without its line break.
std::string system_error_text(unsigned long code);

}  // namespace talvex::platform::win32
