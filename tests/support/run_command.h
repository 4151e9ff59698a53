#pragma once

#include <string>

namespace talvex::testing {

// Runs a shell command and returns what it wrote to standard output; throws when it fails.
std::string run_command(const std::string& command);

}  // namespace talvex::testing
