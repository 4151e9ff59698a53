#include "app/command_line.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace talvex::app {
namespace {

struct Expected {
  std::string host = "localhost";
  unsigned port = 3306;
  std::string user = "root";
  std::string password;
  std::string database = "screen";
  std::optional<std::string> printers;
  long long tick_ms = 1000;
  bool help = false;
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
    {"nothing: the fixed behaviour", {}, {}},
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
    {"empty password", {"--password", ""}, {}},
    {"directory printers", {"--printers", "/srv/printers"}, with([](Expected& e) {
       e.printers = "/srv/printers";
     })},
    {"the last of a repeated option wins", {"--port", "1", "--port", "2"}, with([](Expected& e) {
       e.port = 2;
     })},
    {"lowest port", {"--port", "1"}, with([](Expected& e) { e.port = 1; })},
    {"help", {"--help"}, with([](Expected& e) { e.help = true; })},
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
    EXPECT_EQ(got.printers_dir, c.expected.printers);
    EXPECT_EQ(got.tick.count(), c.expected.tick_ms);
    EXPECT_EQ(got.help, c.expected.help);
  }
}

struct Rejected {
  const char* name;
  std::vector<std::string> args;
  const char* message;
};

const Rejected kRejected[] = {
    {"unknown option", {"--verbose"}, "unknown option '--verbose'"},
    {"single dash", {"-p", "1"}, "unknown option '-p'"},
    {"stray argument", {"screen"}, "unexpected argument 'screen'"},
    {"missing value", {"--port"}, "option '--port' needs a value"},
    {"port not a number",
     {"--port", "mysql"},
     "invalid value 'mysql' for --port: expected a whole number from 1 to 65535"},
    {"port zero",
     {"--port", "0"},
     "invalid value '0' for --port: expected a whole number from 1 to 65535"},
    {"port too large",
     {"--port=65536"},
     "invalid value '65536' for --port: expected a whole number from 1 to 65535"},
    {"port negative",
     {"--port", "-3306"},
     "invalid value '-3306' for --port: expected a whole number from 1 to 65535"},
    // 2^32 + 3306: cut to 32 bits it would be the default port.
    {"port beyond 32 bits",
     {"--port", "4294970602"},
     "invalid value '4294970602' for --port: expected a whole number from 1 to 65535"},
    {"port beyond 64 bits",
     {"--port", "18446744073709551617"},
     "invalid value '18446744073709551617' for --port: expected a whole number from 1 to 65535"},
    {"empty port",
     {"--port="},
     "invalid value '' for --port: expected a whole number from 1 to 65535"},
    {"port with a space",
     {"--port", " 80"},
     "invalid value ' 80' for --port: expected a whole number from 1 to 65535"},
    {"port with a sign",
     {"--port", "+80"},
     "invalid value '+80' for --port: expected a whole number from 1 to 65535"},
    {"port with trailing text",
     {"--port", "80x"},
     "invalid value '80x' for --port: expected a whole number from 1 to 65535"},
    {"tick zero",
     {"--tick-ms", "0"},
     "invalid value '0' for --tick-ms: expected a whole number from 1 to 2147483647"},
    {"tick negative",
     {"--tick-ms", "-5"},
     "invalid value '-5' for --tick-ms: expected a whole number from 1 to 2147483647"},
    {"tick beyond a timer's range",
     {"--tick-ms", "2147483648"},
     "invalid value '2147483648' for --tick-ms: expected a whole number from 1 to 2147483647"},
    {"empty host", {"--host="}, "invalid value '' for --host: must not be empty"},
    {"empty printers directory",
     {"--printers", ""},
     "invalid value '' for --printers: must not be empty"},
    {"help with a value", {"--help=yes"}, "option '--help' takes no value"},
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
  EXPECT_EQ(text.rfind("Usage: talvex ", 0), 0u);
  for (const char* option : {"--host", "--port", "--user", "--password", "--database", "--printers",
                             "--tick-ms", "--help"})
    EXPECT_NE(text.find(option), std::string::npos) << option;
  EXPECT_EQ(text.back(), '\n');
}

}  // namespace
}  // namespace talvex::app
