// The Windows program (talvex.exe, cross-built with MinGW-w64) as a venue runs it, under Wine: on
// the demo venue in the private MariaDB server, printing on directory printers, each Windows
// program in a Wine prefix of the test's own.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/venue_test.h"

namespace talvex::testing {
namespace {

namespace fs = std::filesystem;

// A document's record without what depends on when it was printed: the date and time lines.
std::vector<std::string> timeless_texts(const PrintedDocument& d) {
  static const std::regex kMoment(R"(\d{2}\.\d{2}\.\d{4}|\d{1,2}:\d{2}(:\d{2})?)");
  std::vector<std::string> texts;
  for (const PrintedDocument::Text& t : d.texts) {
    texts.push_back(std::to_string(t.x) + "," + std::to_string(t.y) + "," +
                    std::to_string(t.points) + " " + std::regex_replace(t.text, kMoment, "<time>"));
  }
  return texts;
}

class WindowsProgramTest : public VenueTest {
 protected:
  // An account of the test's own that logs in with MariaDB's ed25519, whose client half is a
  // plugin of the client library (client_ed25519.dll).
  void make_ed25519_account() {
    if (scalar("select count(*) from information_schema.plugins where plugin_name='ed25519'") ==
        "0")
      sql("INSTALL SONAME 'auth_ed25519'");
    account_ = "ed_" + database_;
    sql("CREATE USER '" + account_ + "'@'%' IDENTIFIED VIA ed25519 USING PASSWORD('Пароль 1')");
    sql("GRANT ALL ON `" + database_ + "`.* TO '" + account_ + "'@'%'");
  }
  void TearDown() override {
    if (!account_.empty())
      sql("DROP USER IF EXISTS '" + account_ + "'@'%'");
    VenueTest::TearDown();
  }

  // The Windows program with only `args`, in the test's Wine prefix.
  std::unique_ptr<RunningProgram> run_windows(const std::string& program,
                                              std::vector<std::string> args,
                                              const std::string& log) {
    args.insert(args.begin(), program);
    return run_in_wine(TALVEX_WINE, args, log);
  }

  // The log of the prefix's user, %LOCALAPPDATA%\Talvex\talvex.log.
  std::string user_log() const {
    for (const auto& entry :
         fs::recursive_directory_iterator(folder_ / "wine" / "drive_c" / "users")) {
      if (entry.path().filename() == "talvex.log" &&
          entry.path().parent_path().filename() == "Talvex") {
        std::ifstream in(entry.path(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      }
    }
    return {};
  }

  std::string account_;
};

TEST_F(WindowsProgramTest, PrintsEveryWaitingJobWithTheRecordsOfTheLinuxProgram) {
  // The Linux program prints the demo's queue first, on the fixture's printers.
  const std::string waiting =
      scalar("select group_concat(id order by id) from print where status='no'");
  start();
  ASSERT_TRUE(wait_for_empty_queue());
  program_->stop();
  const std::vector<PrintedDocument> linux_documents = printed_documents(printers());

  // The same rows, set waiting again, printed by the Windows program on printers of its own.
  sql("update print set status='no' where id in (" + waiting + ")");
  const fs::path windows_printers = make_printers("windows-printers");
  program_ = launch_windows(windows_printers, 20, {}, "talvex-windows.log");
  ASSERT_TRUE(wait_until_serving(*program_)) << program_->output();
  ASSERT_TRUE(wait_for_empty_queue()) << program_->output();
  const std::vector<PrintedDocument> windows_documents = printed_documents(windows_printers);

  ASSERT_EQ(linux_documents.size(), 26u);
  ASSERT_EQ(windows_documents.size(), linux_documents.size());
  for (std::size_t i = 0; i < linux_documents.size(); ++i) {
    const PrintedDocument& l = linux_documents[i];
    const PrintedDocument& w = windows_documents[i];
    SCOPED_TRACE(l.record.string() + " and " + w.record.string());
    EXPECT_EQ(w.printer, l.printer);
    EXPECT_EQ(w.index, l.index);
    EXPECT_EQ(w.title, l.title);
    EXPECT_EQ(timeless_texts(w), timeless_texts(l));
    EXPECT_TRUE(w.damage.empty()) << w.damage;
  }
  EXPECT_EQ(scalar("select count(*) from print where status='no'"), "0");
}

// A venue's computer with a Russian administrator: the option file and the printers in folders
// named in Cyrillic, the account logging in with ed25519 and a Cyrillic password.
TEST_F(WindowsProgramTest, LogsInWithEd25519FromAnOptionFileInACyrillicFolder) {
  make_ed25519_account();
  const fs::path settings = folder_ / "Настройки кассы";
  fs::create_directories(settings);
  std::ofstream(settings / "my.ini")
      << "[talvex]\nhost = 127.0.0.1\nport = " << params_.port << "\ndatabase = " << database_
      << "\nuser = " << account_ << "\npassword = Пароль 1\n";
  const fs::path printers = make_printers("Принтеры кухни");
  program_ = run_windows(TALVEX_WINDOWS_PROGRAM,
                         {"--defaults-file", "Z:" + (settings / "my.ini").string(), "--printers",
                          "Z:" + printers.string(), "--tick-ms", "20"},
                         "talvex-windows.log");
  ASSERT_TRUE(wait_until_serving(*program_)) << program_->output();
  ASSERT_TRUE(wait_for_empty_queue()) << program_->output();
  EXPECT_FALSE(printed_documents(printers).empty());
}

// Without its plugin beside it the program cannot log in with ed25519, and says where it looked:
// in its own folder (named in Cyrillic here), not along the PATH. The failure is logged with its
// time in the user's log.
TEST_F(WindowsProgramTest, LoadsLoginPluginsFromItsOwnFolderOnlyAndLogsWhyItCannotStart) {
  make_ed25519_account();
  const fs::path bare = folder_ / "Талвекс без модулей";
  fs::create_directories(bare);
  const fs::path built = fs::path(TALVEX_WINDOWS_PROGRAM).parent_path();
  for (const char* file : {"talvex.exe", "libmariadb.dll"})
    fs::copy_file(built / file, bare / file);
  std::vector<std::string> args = connection_arguments();
  args.insert(args.end(), {"--user", account_, "--password", "Пароль 1", "--printers",
                           "Z:" + printers().string()});
  auto program = run_windows((bare / "talvex.exe").string(), args, "bare.log");
  ASSERT_TRUE(wait_for([&] { return !program->running(); })) << program->output();
  EXPECT_TRUE(exited_with(program->status(), 1)) << program->output();
  const std::string said = program->output();
  EXPECT_NE(said.find("client_ed25519"), std::string::npos) << said;
  // The library was given the program's folder: the path it names has one.
  EXPECT_EQ(said.find("Library path is 'client_ed25519.dll'"), std::string::npos) << said;

  const std::regex logged(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d .*client_ed25519.*\r\n)");
  EXPECT_TRUE(std::regex_search(user_log(), logged)) << user_log();
}

}  // namespace
}  // namespace talvex::testing
