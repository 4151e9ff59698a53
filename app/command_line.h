#pragma once

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/option_files.h"

namespace talvex::app {

// What the command line asks for. Every option only adds to the fixed behaviour: without any,
// the service connects to `screen` on localhost:3306 as root (or as the MySQL option files say),
// prints on the system's printers and ticks once a second.
struct CommandLine {
  data::ConnectionOverrides connection;      // unset: from the option files or the default
  std::optional<std::string> defaults_file;  // the one option file to read instead of the usual

  std::optional<std::string> printers_dir;  // directory printers instead of the system's
  std::chrono::milliseconds tick{1000};
  bool help = false;
  bool version = false;
};

// A bad option or value; the message names it.
class CommandLineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the arguments that follow the program name; an option's value is the next argument or
// follows "=". Throws CommandLineError.
CommandLine parse_command_line(const std::vector<std::string>& args);

// The usage text, ending in a line break.
std::string usage(const std::string& program);

// The program's name and version, as --version prints it, ending in a line break.
std::string version_text();

// Reads the arguments that follow the program name into `options`. Prints the usage (--help), the
// version (--version) or the mistake in them followed by the usage, and returns the program's exit
// code then (0, or 2 for a mistake); nothing when the service is to start.
std::optional<int> answer_command_line(const std::string& program,
                                       const std::vector<std::string>& args, CommandLine& options);

}  // namespace talvex::app
