#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace talvex::app {

// One option of a program's command line. A one-letter name is written -h, a longer one --help or
// -help; an option with a `value_name` takes a value, as the next argument or after "=".
struct ArgumentOption {
  std::vector<std::string> names;
  std::string value_name;  // empty: the option takes no value
  std::string description;
};

// The options the arguments gave, each under its last name, with the last value given (empty for
// an option without a value).
using GivenOptions = std::map<std::string, std::string>;

// Arguments that do not fit the options; the message says which, in the words the program has
// always used.
class ArgumentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the arguments that follow the program name with CLI11. Throws
// ArgumentError for an unknown option, a missing value, a value after an option that takes none,
// and any argument that is not an option.
GivenOptions parse_arguments(const std::vector<std::string>& args,
                             const std::vector<ArgumentOption>& options);

// The help text: the usage line of `program`, the description, and the
// options with their descriptions, wrapped for an 80-column terminal. Ends in a line break.
std::string help_text(const std::string& program, const std::string& description,
                      const std::vector<ArgumentOption>& options);

}  // namespace talvex::app
