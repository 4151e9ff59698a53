#include "app/command_line.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace talvex::app {
namespace {

// Unset connection values are left to the option files and the defaults.
struct Expected {
  std::optional<std::string> host;
  std::optional<unsigned> port;
  std::optional<std::string> user;
  std::optional<std::string> password;
  std::optional<std::string> database;
  std::optional<std::string> defaults_file;
  std::optional<std::string> printers;
  long long tick_ms = 1000;
  bool help = false;
  bool version = false;
};

// The defaults with the changes a case expects.
Expected with(const std::function<void(Expected&)>& change) {
  Expected e;
  change(e);
  return e;
}

struct Case {
  const char* name;
  std::vector<std::string> args;
  Expected expected;
};

const Case kAccepted[] = {
    {"nothing: everything from the option files or the defaults", {}, {}},
    {"connection options",
     {"--host", "127.0.0.1", "--port", "3307", "--user", "cashier", "--password", "s3cr=t",
      "--database", "bar"},
     with([](Expected& e) {
       e.host = "127.0.0.1";
       e.port = 3307;
       e.user = "cashier";
       e.password = "s3cr=t";
       e.database = "bar";
     })},
    {"values after an equals sign",
     {"--port=65535", "--password=a=b", "--tick-ms=5"},
     with([](Expected& e) {
       e.port = 65535;
       e.password = "a=b";
       e.tick_ms = 5;
     })},
    {"empty password: a password, left to no file", {"--password", ""}, with([](Expected& e) {
       e.password = "";
     })},
    {"option file", {"--defaults-file", "/etc/talvex/my.cnf"}, with([](Expected& e) {
       e.defaults_file = "/etc/talvex/my.cnf";
     })},
    {"directory printers", {"--printers", "/srv/printers"}, with([](Expected& e) {
       e.printers = "/srv/printers";
     })},
    {"the last of a repeated option wins", {"--port", "1", "--port", "2"}, with([](Expected& e) {
       e.port = 2;
     })},
    {"lowest port", {"--port", "1"}, with([](Expected& e) { e.port = 1; })},
    {"help", {"--help"}, with([](Expected& e) { e.help = true; })},
    {"help, short", {"-h"}, with([](Expected& e) { e.help = true; })},
    {"version", {"--version"}, with([](Expected& e) { e.version = true; })},
    {"version, short", {"-v"}, with([](Expected& e) { e.version = true; })},
    {"a long option after a single dash", {"-port", "3307"}, with([](Expected& e) {
       e.port = 3307;
     })},
    {"largest tick", {"--tick-ms", "2147483647"}, with([](Expected& e) {
       e.tick_ms = 2147483647;
     })},
};

TEST(CommandLine, AcceptsTheOptionsAndKeepsTheDefaultsOfTheOthers) {
  for (const Case& c : kAccepted) {
    SCOPED_TRACE(c.name);
    const CommandLine got = parse_command_line(c.args);
    EXPECT_EQ(got.connection.host, c.expected.host);
    EXPECT_EQ(got.connection.port, c.expected.port);
    EXPECT_EQ(got.connection.user, c.expected.user);
    EXPECT_EQ(got.connection.password, c.expected.password);
    EXPECT_EQ(got.connection.database, c.expected.database);
    EXPECT_EQ(got.defaults_file, c.expected.defaults_file);
    EXPECT_EQ(got.printers_dir, c.expected.printers);
    EXPECT_EQ(got.tick.count(), c.expected.tick_ms);
    EXPECT_EQ(got.help, c.expected.help);
    EXPECT_EQ(got.version, c.expected.version);
  }
}

struct Rejected {
  const char* name;
  std::vector<std::string> args;
  const char* message;
};

const Rejected kRejected[] = {
    {"unknown option", {"--verbose"}, "Unknown option 'verbose'."},
    {"single letter", {"-p", "1"}, "Unknown option 'p'."},
    {"stray argument", {"screen"}, "Unexpected argument 'screen'."},
    {"an option after a double dash", {"--", "--help"}, "Unexpected argument '--help'."},
    {"missing value", {"--port"}, "Missing value after '--port'."},
    {"port not a number",
     {"--port", "mysql"},
     "Invalid value 'mysql' for --port: expected a whole number from 1 to 65535."},
    {"port zero",
     {"--port", "0"},
     "Invalid value '0' for --port: expected a whole number from 1 to 65535."},
    {"port too large",
     {"--port=65536"},
     "Invalid value '65536' for --port: expected a whole number from 1 to 65535."},
    {"port negative",
     {"--port", "-3306"},
     "Invalid value '-3306' for --port: expected a whole number from 1 to 65535."},
    // 2^32 + 3306: cut to 32 bits it would be the default port.
    {"port beyond 32 bits",
     {"--port", "4294970602"},
     "Invalid value '4294970602' for --port: expected a whole number from 1 to 65535."},
    {"port beyond 64 bits",
     {"--port", "18446744073709551617"},
     "Invalid value '18446744073709551617' for --port: expected a whole number from 1 to 65535."},
    {"empty port",
     {"--port="},
     "Invalid value '' for --port: expected a whole number from 1 to 65535."},
    {"port with a space",
     {"--port", " 80"},
     "Invalid value ' 80' for --port: expected a whole number from 1 to 65535."},
    {"port with a sign",
     {"--port", "+80"},
     "Invalid value '+80' for --port: expected a whole number from 1 to 65535."},
    {"port with trailing text",
     {"--port", "80x"},
     "Invalid value '80x' for --port: expected a whole number from 1 to 65535."},
    {"tick zero",
     {"--tick-ms", "0"},
     "Invalid value '0' for --tick-ms: expected a whole number from 1 to 2147483647."},
    {"tick negative",
     {"--tick-ms", "-5"},
     "Invalid value '-5' for --tick-ms: expected a whole number from 1 to 2147483647."},
    {"tick beyond a timer's range",
     {"--tick-ms", "2147483648"},
     "Invalid value '2147483648' for --tick-ms: expected a whole number from 1 to 2147483647."},
    {"empty host", {"--host="}, "Invalid value '' for --host: must not be empty."},
    {"empty option file name",
     {"--defaults-file="},
     "Invalid value '' for --defaults-file: must not be empty."},
    {"empty printers directory",
     {"--printers", ""},
     "Invalid value '' for --printers: must not be empty."},
    {"help with a value", {"--help=yes"}, "Unexpected value after '--help'."},
};

TEST(CommandLine, RejectsBadOptionsAndValuesNamingThem) {
  for (const Rejected& c : kRejected) {
    SCOPED_TRACE(c.name);
    try {
      parse_command_line(c.args);
      ADD_FAILURE() << "accepted";
    } catch (const CommandLineError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST(CommandLine, UsageNamesTheProgramAndEveryOption) {
  const std::string text = usage("talvex");
  EXPECT_EQ(text.rfind("Usage: talvex [options]\n", 0), 0u) << text;
  for (const char* option :
       {"--host <NAME>", "--port <N>", "--user <NAME>", "--password <TEXT>", "--database <NAME>",
        "--printers <DIR>", "--tick-ms <N>", "-h, --help", "-v, --version"})
    EXPECT_NE(text.find(option), std::string::npos) << option;
  // Whoever reads the help learns that a password on the command line is not private. The help is
  // wrapped for the terminal, so its words are compared with single spaces between them.
  const std::string words = std::regex_replace(text, std::regex("\\s+"), " ");
  EXPECT_NE(words.find("Other users of the computer can read it in the list of processes: keep "
                       "it in an option file instead"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.back(), '\n');
}

TEST(CommandLine, VersionIsTheProjectVersion) {
  EXPECT_EQ(version_text(), std::string("talvex ") + TALVEX_VERSION + "\n");
}

}  // namespace
}  // namespace talvex::app
