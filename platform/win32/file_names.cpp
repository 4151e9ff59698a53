#include "platform/file_names.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace talvex::platform {

std::string unreadable_reason(const std::string& path) {
  HANDLE file =
      CreateFileW(win32::wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return win32::system_error_text(GetLastError());
  CloseHandle(file);
  return {};
}

std::string library_path(const std::string& path) {
  return win32::narrow_path(win32::wide(path));
}

std::string library_text(const std::string& text) {
  if (win32::is_utf8(text))
    return text;
  return win32::utf8(win32::from_ansi(text));
}

}  // namespace talvex::platform
