#pragma once

#include <cstdint>
#include <string>

namespace talvex::platform {

// Where a code address lies: the file name (without its directory) of the program or library
// that holds it, and the address relative to where that module was loaded. An address in no
// module gives an empty name and the address itself.
struct CodeLocation {
  std::string module;
  std::uintptr_t offset = 0;
};
CodeLocation locate_code(const void* address);

// The full path of the running program's file, or empty when the system does not say.
std::string program_path();

}  // namespace talvex::platform
