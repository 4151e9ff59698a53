#include "platform/file_names.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace talvex::platform {

std::string unreadable_reason(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (f == nullptr)
    return std::strerror(errno);
  std::fclose(f);
  return {};
}

std::string library_path(const std::string& path) {
  return path;
}

std::string library_text(const std::string& text) {
  return text;
}

}  // namespace talvex::platform
