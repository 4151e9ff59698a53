// The talvex program itself, run as a process without a display.

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>

#include "tests/support/closed_port.h"
#include "tests/support/run_command.h"

namespace talvex {
namespace {

struct ProcessResult {
  int exit_code = -1;
  std::string out;  // standard output and standard error together
  std::string err;
};

// Runs the program with `args` (already quoted for the shell). A program that does not end on its
// own is stopped after a generous while, so a fault shows as a failure instead of a hung run.
ProcessResult run_program(const std::string& args) {
  char pattern[] = "/tmp/talvex-stderr-XXXXXX";
  const int fd = mkstemp(pattern);
  close(fd);
  const std::string command = "timeout -k 5 60 " + testing::shell_quote(TALVEX_PROGRAM) + " " +
                              args + " 2>" + testing::shell_quote(pattern);
  ProcessResult run;
  FILE* p = popen(command.c_str(), "r");
  char buf[512];
  while (std::fgets(buf, sizeof buf, p) != nullptr)
    run.out += buf;
  const int status = pclose(p);
  if (WIFEXITED(status))
    run.exit_code = WEXITSTATUS(status);
  if (FILE* f = std::fopen(pattern, "r")) {
    while (std::fgets(buf, sizeof buf, f) != nullptr)
      run.err += buf;
    std::fclose(f);
  }
  std::remove(pattern);
  return run;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/talvex-printers-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    printers_ = pattern;
    std::filesystem::create_directory(printers_ / "Kitchen");
  }
  void TearDown() override { std::filesystem::remove_all(printers_); }

  std::filesystem::path printers_;
};

TEST_F(ProgramTest, StartWithoutTheServerReportsApplicationErrorAndExitsWithOne) {
  const testing::ClosedPort closed;
  const ProcessResult run = run_program("--host 127.0.0.1 --port " + std::to_string(closed.port()) +
                                        " --printers " + testing::shell_quote(printers_.string()));
  EXPECT_EQ(run.exit_code, 1);
  // Qt may say something of its own before.
  const std::regex text(
      "(^|\n)Exception DataError in module talvex at [0-9A-F]{8}\\.\n"
      "Cannot connect to server on host '127\\.0\\.0\\.1':\r\nConnection refused\\.\r\n"
      "Socket Error Code: 111\\(\\$6F\\)\\.\n$");
  EXPECT_TRUE(std::regex_search(run.err, text)) << run.err;
}

enum class Usage { None, OnStdout, OnStderr };

struct UsageCase {
  const char* args;
  int exit_code;
  Usage usage;
  const char* says;
};

TEST_F(ProgramTest, CommandLineHelpVersionAndMistakes) {
  const UsageCase cases[] = {
      {"--help", 0, Usage::OnStdout, "Usage: "},
      {"-h", 0, Usage::OnStdout, "Usage: "},
      {"--version", 0, Usage::None, "talvex " TALVEX_VERSION "\n"},
      {"--bogus", 2, Usage::OnStderr, "Unknown option 'bogus'."},
      {"--tick-ms 0", 2, Usage::OnStderr, "Invalid value '0' for --tick-ms"},
      {"--port", 2, Usage::OnStderr, "Missing value after '--port'."},
  };
  for (const UsageCase& c : cases) {
    SCOPED_TRACE(c.args);
    const ProcessResult run = run_program(c.args);
    EXPECT_EQ(run.exit_code, c.exit_code);
    switch (c.usage) {
      case Usage::None:
        EXPECT_EQ(run.out, c.says);
        EXPECT_EQ(run.err, "");
        break;
      case Usage::OnStdout:
        EXPECT_NE(run.out.find("--printers <DIR>"), std::string::npos) << run.out;
        EXPECT_EQ(run.err, "");
        break;
      case Usage::OnStderr:
        EXPECT_NE(run.err.find("--printers <DIR>"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
        break;
    }
    EXPECT_NE((run.out + run.err).find(c.says), std::string::npos) << run.out << run.err;
  }
}

}  // namespace
}  // namespace talvex
