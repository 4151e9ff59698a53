#include "app/command_line.h"

#include <charconv>
#include <climits>
#include <functional>
#include <iostream>
#include <string_view>

#include "app/argument_reader.h"

namespace talvex::app {
namespace {

// Each option: its names, its value's name (none for a switch), its help line, and what its value
// does to the command line. The table is the whole interface; the parser reads the arguments and
// writes the help from it.
struct Option {
  ArgumentOption argument;
  std::function<void(CommandLine&, const std::string& name, const std::string& value)> apply;
};

// Where the client library looks for option files when none is named.
#ifdef _WIN32
constexpr const char* kUsualOptionFiles =
    "my.ini and my.cnf in the Windows folder, in C:\\ and beside the program";
#else
constexpr const char* kUsualOptionFiles = "/etc/my.cnf, /etc/mysql/my.cnf and ~/.my.cnf";
#endif

long long number(std::string_view option, const std::string& value, long long min, long long max) {
  long long n = 0;
  const char* end = value.data() + value.size();
  const auto [stop, error] = std::from_chars(value.data(), end, n);
  const bool digits_only = !value.empty() && value.front() != '-' && value.front() != '+';
  if (!digits_only || error != std::errc() || stop != end || n < min || n > max) {
    throw CommandLineError("Invalid value '" + value + "' for --" + std::string(option) +
                           ": expected a whole number from " + std::to_string(min) + " to " +
                           std::to_string(max) + ".");
  }
  return n;
}

std::string non_empty(std::string_view option, const std::string& value) {
  if (value.empty())
    throw CommandLineError("Invalid value '' for --" + std::string(option) +
                           ": must not be empty.");
  return value;
}

const std::vector<Option>& options() {
  static const std::vector<Option> table = {
      {{{"h", "help"}, "", "Show this help and exit."},
       [](CommandLine& c, const std::string&, const std::string&) { c.help = true; }},
      {{{"v", "version"}, "", "Show the version and exit."},
       [](CommandLine& c, const std::string&, const std::string&) { c.version = true; }},
      {{{"host"}, "NAME", "Database server (default localhost)."},
       [](CommandLine& c, const std::string& n, const std::string& v) {
         c.connection.host = non_empty(n, v);
       }},
      {{{"port"}, "N", "Its TCP port (default 3306)."},
       [](CommandLine& c, const std::string& n, const std::string& v) {
         c.connection.port = static_cast<unsigned>(number(n, v, 1, 65535));
       }},
      {{{"user"}, "NAME", "User name (default root)."},
       [](CommandLine& c, const std::string& n, const std::string& v) {
         c.connection.user = non_empty(n, v);
       }},
      {{{"password"},
        "TEXT",
        "Password (default none). Other users of the computer can read it in the list of "
        "processes: keep it in an option file instead (see --defaults-file)."},
       [](CommandLine& c, const std::string&, const std::string& v) { c.connection.password = v; }},
      {{{"database"}, "NAME", "Database (default screen)."},
       [](CommandLine& c, const std::string& n, const std::string& v) {
         c.connection.database = non_empty(n, v);
       }},
      {{{"defaults-file"},
        "FILE",
        std::string("Read the connection from this MySQL option file only, instead of ") +
            kUsualOptionFiles +
            ": groups [client] and [talvex], keys host, port, user, password, database. Options "
            "given here win over the files."},
       [](CommandLine& c, const std::string& n, const std::string& v) {
         c.defaults_file = non_empty(n, v);
       }},
      {{{"printers"},
        "DIR",
        "Print into the printer folders under DIR instead of the system's printers."},
       [](CommandLine& c, const std::string& n, const std::string& v) {
         c.printers_dir = non_empty(n, v);
       }},
      {{{"tick-ms"}, "N", "Interval of both timers in milliseconds (default 1000)."},
       [](CommandLine& c, const std::string& n, const std::string& v) {
         c.tick = std::chrono::milliseconds(number(n, v, 1, INT_MAX));
       }},
  };
  return table;
}

std::vector<ArgumentOption> argument_options() {
  std::vector<ArgumentOption> list;
  for (const Option& option : options())
    list.push_back(option.argument);
  return list;
}

}  // namespace

CommandLine parse_command_line(const std::vector<std::string>& args) {
  GivenOptions given;
  try {
    given = parse_arguments(args, argument_options());
  } catch (const ArgumentError& e) {
    throw CommandLineError(e.what());
  }
  CommandLine result;
  for (const Option& option : options()) {
    const std::string& name = option.argument.names.back();
    if (const auto found = given.find(name); found != given.end())
      option.apply(result, name, found->second);
  }
  return result;
}

std::string usage(const std::string& program) {
  return help_text(program,
                   "Prints the tickets waiting in the print queue of the venue's database.",
                   argument_options());
}

std::string version_text() {
  return std::string("talvex ") + TALVEX_VERSION + "\n";
}

std::optional<int> answer_command_line(const std::string& program,
                                       const std::vector<std::string>& args, CommandLine& options) {
  try {
    options = parse_command_line(args);
  } catch (const CommandLineError& e) {
    std::cerr << program << ": " << e.what() << "\n\n" << usage(program);
    return 2;
  }
  if (options.help) {
    std::cout << usage(program);
    return 0;
  }
  if (options.version) {
    std::cout << version_text();
    return 0;
  }
  return std::nullopt;
}

}  // namespace talvex::app
