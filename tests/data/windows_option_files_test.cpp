// The MySQL option files as the client library finds them on Windows: my.ini and my.cnf in the
// Windows folder, in C:\ and beside the program, and a named file by its Windows path. Each test
// program runs in a Wine prefix of its own, so its C:\ is its own.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>

#include "data/option_files.h"

namespace talvex::data {
namespace {

// An option file for the test's length.
class OptionFile {
 public:
  OptionFile(std::string path, const std::string& text) : path_(std::move(path)) {
    std::ofstream(path_) << text;
  }
  ~OptionFile() { std::remove(path_.c_str()); }
  OptionFile(const OptionFile&) = delete;
  OptionFile& operator=(const OptionFile&) = delete;

 private:
  std::string path_;
};

TEST(WindowsOptionFiles, MyIniInTheRootOfDriveCGivesTheClientAndTalvexGroups) {
  const OptionFile file(
      "C:\\my.ini",
      "[client]\r\nhost = db.venue\r\nuser = everyone\r\n[mysqld]\r\nport = 3399\r\n"
      "[talvex]\r\nuser = printer\r\ndatabase = bar\r\n");
  const OptionFileValues v = read_option_files(std::nullopt);
  EXPECT_EQ(v.host, "db.venue");
  EXPECT_EQ(v.user, "printer");
  EXPECT_EQ(v.database, "bar");
  EXPECT_EQ(v.port, std::nullopt);
}

TEST(WindowsOptionFiles, ANamedFileIsReadByItsWindowsPathAndNoOtherFile) {
  const OptionFile usual("C:\\my.ini", "[client]\nhost = usual\n");
  const OptionFile named("C:\\talvex.cnf", "[talvex]\nport = 3307\npassword = \"s3 cret\"\n");
  const OptionFileValues v = read_option_files(std::string("C:\\talvex.cnf"));
  EXPECT_EQ(v.port, 3307u);
  EXPECT_EQ(v.password, "s3 cret");
  EXPECT_EQ(v.host, std::nullopt);
}

}  // namespace
}  // namespace talvex::data
