// The program's log file: lines with their time, the stream that feeds it, and its size limit.

#include "platform/win32/program_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>

#include "tests/support/temporary_folder.h"

namespace talvex::platform::win32 {
namespace {

namespace fs = std::filesystem;

std::string read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Win32ProgramLog, EveryLineOfTheStreamWithItsTimeAndThePreviousFileKeptAtTheLimit) {
  const testing::TemporaryFolder folder;
  // A folder in Cyrillic letters, as a user's profile may be named.
  const fs::path dir = fs::u8path(folder.path()) / fs::u8path("Журнал");
  fs::create_directories(dir);
  ProgramLog log(dir / "talvex.log", 200);

  std::ostringstream console;
  {
    const LoggedStream logged(console, log);
    console << "Talvex: first error\nsecond ";
    console << "error, in two writes\n";
  }
  // The stream's own destination still gets everything.
  EXPECT_EQ(console.str(), "Talvex: first error\nsecond error, in two writes\n");
  const std::regex lines(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d Talvex: first error\r\n)"
                         R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d second error, in two writes\r\n)");
  EXPECT_TRUE(std::regex_match(read(log.file()), lines)) << read(log.file());

  // Past the limit the file becomes the previous one, and a new one begins.
  const std::string before = read(log.file());
  log.write_line(std::string(150, 'x'));
  EXPECT_EQ(read(log.previous_file()), before);
  EXPECT_EQ(log.previous_file().filename(), "talvex.previous.log");
  EXPECT_NE(read(log.file()).find(std::string(150, 'x') + "\r\n"), std::string::npos);
  EXPECT_EQ(read(log.file()).find("first error"), std::string::npos);
}

}  // namespace
}  // namespace talvex::platform::win32
