#pragma once

#include <string>
#include <string_view>

namespace talvex::platform::win32 {

// UTF-8, the engine's text, to and from UTF-16, the Windows API's.
std::wstring wide(std::string_view text);
std::string utf8(std::wstring_view text);

// Text in the ANSI code page (what narrow Windows and C library calls read and write) to UTF-16.
std::wstring from_ansi(std::string_view text);
// Whether `text` is well-formed UTF-8.
bool is_utf8(std::string_view text);
// A path in the ANSI code page when it holds every character, otherwise the path's short (8.3)
// name in it, which is ASCII; empty when neither exists.
std::string narrow_path(std::wstring_view path);

// The system's text for an error code (GetLastError, WSAGetLastError), without its line break.
std::string system_error_text(unsigned long code);

}  // namespace talvex::platform::win32
