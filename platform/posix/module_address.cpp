#include "platform/module_address.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <array>
#include <string_view>

namespace talvex::platform {
namespace {

std::string file_name(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

CodeLocation locate_code(const void* address) {
  const auto value = reinterpret_cast<std::uintptr_t>(address);
  Dl_info info{};
  link_map* map = nullptr;
  if (address == nullptr ||
      dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 ||
      info.dli_fbase == nullptr)
    return {"", value};
  // The program itself has no name in the loader's list; the system knows its file.
  const bool program = map == nullptr || map->l_name == nullptr || map->l_name[0] == '\0';
  const std::string path = program ? program_path() : std::string(map->l_name);
  return {file_name(path.empty() && info.dli_fname != nullptr ? info.dli_fname : path),
          value - reinterpret_cast<std::uintptr_t>(info.dli_fbase)};
}

std::string program_path() {
  std::array<char, 4096> buffer{};
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0)
    return {};
  return std::string(buffer.data(), static_cast<std::size_t>(length));
}

}  // namespace talvex::platform
