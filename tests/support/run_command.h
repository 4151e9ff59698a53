#pragma once

#include <string>

namespace talvex::testing {

// Runs a shell command and returns what it wrote to standard output; throws when it fails, with
// the command, its exit status and its output in the message.
std::string run_command(const std::string& command);

// `word` quoted for the shell, so that a path with spaces or quotes stays one argument.
std::string shell_quote(const std::string& word);

// The path of the program `name`: from PATH, or else from /usr/sbin or /sbin, where the CUPS and
// MariaDB administration tools live but where the PATH of a user or of a minimal environment may
// not look. Throws when it is nowhere.
std::string find_program(const std::string& name);

}  // namespace talvex::testing
