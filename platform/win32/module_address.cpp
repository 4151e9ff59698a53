#include "platform/module_address.h"

#include <windows.h>

#include <string_view>

#include "platform/win32/wide_text.h"

namespace talvex::platform {
namespace {

// The full path of a loaded module's file; the running program's when `module` is null.
std::wstring module_path(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0)
      return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);  // cut short: try a longer buffer
  }
}

std::string file_name(std::wstring_view path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return win32::utf8(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

CodeLocation locate_code(const void* address) {
  const auto value = reinterpret_cast<std::uintptr_t>(address);
  HMODULE module = nullptr;
  if (address == nullptr || !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                                    GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                                static_cast<LPCWSTR>(address), &module))
    return {"", value};
  // A module's handle is the address it was loaded at.
  return {file_name(module_path(module)), value - reinterpret_cast<std::uintptr_t>(module)};
}

std::string program_path() {
  return win32::utf8(module_path(nullptr));
}

}  // namespace talvex::platform
