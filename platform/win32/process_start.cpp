#include "platform/win32/process_start.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>

#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {

std::vector<std::string> program_arguments() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> result;
  if (arguments == nullptr)
    return result;
  for (int i = 1; i < count; ++i)
    result.push_back(utf8(arguments[i]));
  LocalFree(arguments);
  return result;
}

bool write_to_starting_console() {
  const auto leads_somewhere = [](DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
  };
  if (leads_somewhere(STD_OUTPUT_HANDLE) || leads_somewhere(STD_ERROR_HANDLE))
    return true;
  if (!AttachConsole(ATTACH_PARENT_PROCESS))
    return false;
  SetConsoleOutputCP(CP_UTF8);
  // The C++ streams write through the C runtime's streams, which are reopened on the console.
  [[maybe_unused]] FILE* out = freopen("CONOUT$", "w", stdout);
  [[maybe_unused]] FILE* err = freopen("CONOUT$", "w", stderr);
  return true;
}

}  // namespace talvex::platform::win32
