#include "tests/support/run_command.h"

#include <cstdio>
#include <stdexcept>

namespace talvex::testing {

std::string run_command(const std::string& command) {
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr)
    throw std::runtime_error("cannot run " + command);
  std::string out;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
    out.append(buf, n);
  if (pclose(p) != 0)
    throw std::runtime_error("failed: " + command);
  return out;
}

}  // namespace talvex::testing
