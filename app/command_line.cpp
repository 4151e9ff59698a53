#include "app/command_line.h"

#include <charconv>
#include <climits>
#include <string_view>

namespace talvex::app {
namespace {

enum class Option { Host, Port, User, Password, Database, Printers, TickMs, Help };

struct KnownOption {
  std::string_view name;
  Option option;
  bool takes_value;
};

constexpr KnownOption kOptions[] = {
    {"--host", Option::Host, true},         {"--port", Option::Port, true},
    {"--user", Option::User, true},         {"--password", Option::Password, true},
    {"--database", Option::Database, true}, {"--printers", Option::Printers, true},
    {"--tick-ms", Option::TickMs, true},    {"--help", Option::Help, false},
};

long long number(std::string_view option, const std::string& value, long long min, long long max) {
  long long n = 0;
  const char* end = value.data() + value.size();
  const auto [stop, error] = std::from_chars(value.data(), end, n);
  const bool digits_only = !value.empty() && value.front() != '-' && value.front() != '+';
  if (!digits_only || error != std::errc() || stop != end || n < min || n > max) {
    throw CommandLineError("invalid value '" + value + "' for " + std::string(option) +
                           ": expected a whole number from " + std::to_string(min) + " to " +
                           std::to_string(max));
  }
  return n;
}

std::string non_empty(std::string_view option, const std::string& value) {
  if (value.empty())
    throw CommandLineError("invalid value '' for " + std::string(option) + ": must not be empty");
  return value;
}

}  // namespace

CommandLine parse_command_line(const std::vector<std::string>& args) {
  CommandLine result;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const std::size_t equals = arg.find('=');
    const std::string_view name = std::string_view(arg).substr(0, equals);

    const KnownOption* known = nullptr;
    for (const KnownOption& s : kOptions) {
      if (s.name == name)
        known = &s;
    }
    if (known == nullptr) {
      if (arg.rfind("-", 0) == 0)
        throw CommandLineError("unknown option '" + std::string(name) + "'");
      throw CommandLineError("unexpected argument '" + arg + "'");
    }

    std::string value;
    if (!known->takes_value) {
      if (equals != std::string::npos)
        throw CommandLineError("option '" + std::string(name) + "' takes no value");
    } else if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      throw CommandLineError("option '" + std::string(name) + "' needs a value");
    }

    switch (known->option) {
      case Option::Host:
        result.connection.host = non_empty(name, value);
        break;
      case Option::Port:
        result.connection.port = static_cast<unsigned>(number(name, value, 1, 65535));
        break;
      case Option::User:
        result.connection.user = non_empty(name, value);
        break;
      case Option::Password:
        result.connection.password = value;
        break;
      case Option::Database:
        result.connection.database = non_empty(name, value);
        break;
      case Option::Printers:
        result.printers_dir = non_empty(name, value);
        break;
      case Option::TickMs:
        result.tick = std::chrono::milliseconds(number(name, value, 1, INT_MAX));
        break;
      case Option::Help:
        result.help = true;
        break;
    }
  }
  return result;
}

std::string usage(const std::string& program) {
  return "Usage: " + program +
         " [OPTION]...\n"
         "Prints the tickets waiting in the print queue of the venue's database.\n"
         "\n"
         "  --host NAME       database server (default localhost)\n"
         "  --port N          its TCP port (default 3306)\n"
         "  --user NAME       user name (default root)\n"
         "  --password TEXT   password (default none)\n"
         "  --database NAME   database (default screen)\n"
         "  --printers DIR    print into the printer folders under DIR instead of the system's\n"
         "                    printers\n"
         "  --tick-ms N       interval of both timers in milliseconds (default 1000)\n"
         "  --help            show this help and exit\n";
}

}  // namespace talvex::app
