#include "platform/win32/library_search.h"

#include <windows.h>

#include "platform/module_address.h"
#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {

bool restrict_library_search() {
  return SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS) != FALSE;
}

std::string program_folder_ansi() {
  const std::wstring path = wide(program_path());
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::string() : narrow_path(path.substr(0, slash));
}

}  // namespace talvex::platform::win32
