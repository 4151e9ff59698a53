// The program started as a desktop session starts it: with the connection from the MySQL option
// files, and a second time while it runs (the autostart at login and a click on the menu entry).

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/closed_port.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/venue_test.h"

namespace talvex::testing {
namespace {

class DesktopStartTest : public VenueTest {
 protected:
  // The program on the test's database and printers, as `start` runs it, with `extra` arguments;
  // its output goes to `log` in the test's folder.
  RunningProgram another(const std::string& log, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = connection_arguments();
    args.insert(args.end(), {"--printers", printers().string()});
    args.insert(args.end(), extra.begin(), extra.end());
    return RunningProgram(TALVEX_PROGRAM, args, folder_ / log);
  }
};

// What a second start on Linux says besides (lifecycle_test.cpp has the rest): where the first
// runs, and how to find it. A start on another database, or after the first was killed, serves.
TEST_F(DesktopStartTest, ASecondStartNamesTheFirstAndOtherStartsServe) {
  RunningProgram& first = start();
  ASSERT_TRUE(wait_for_empty_queue());

  // The first says that it runs; the second only that the first does.
  const std::string running = "Talvex is running for database '" + database_ +
                              "' on 127.0.0.1:" + std::to_string(params_.port) + ".\n";
  EXPECT_NE(first.output().find(running), std::string::npos) << first.output();
  RunningProgram second = another("second.log");
  ASSERT_TRUE(wait_for([&] { return !second.running(); }));
  EXPECT_TRUE(exited_with(second.status(), 3)) << second.output();
  EXPECT_EQ(second.output().find("Talvex is running"), std::string::npos) << second.output();
  EXPECT_NE(second.output().find("Talvex is already running for database '" + database_ +
                                 "' on 127.0.0.1:" + std::to_string(params_.port) + " (process " +
                                 std::to_string(first.pid()) +
                                 "). Click its icon in the notification area"),
            std::string::npos)
      << second.output();
  EXPECT_TRUE(first.running());

  // Another database is another service: that start gets past the check, and here stops at the
  // database, which does not exist.
  RunningProgram other = another("other.log", {"--database", database_ + "_other"});
  ASSERT_TRUE(wait_for([&] { return !other.running(); }));
  EXPECT_TRUE(exited_with(other.status(), 1)) << other.output();
  EXPECT_NE(other.output().find("Unknown database"), std::string::npos) << other.output();

  // A service that was killed leaves its lock file behind; the next start takes it over and
  // serves the queue.
  first.stop(SIGKILL);
  sql("UPDATE print SET status='no' WHERE id=3");
  start();
  EXPECT_TRUE(wait_for_empty_queue()) << program_->output();
}

// A desktop session that has ended leaves DISPLAY naming an X server that no longer answers: the
// service goes on without a window, as without a display, and says so.
TEST_F(DesktopStartTest, ADisplayThatDoesNotAnswerLeavesTheServiceRunningWithoutAWindow) {
  const ClosedPort x_server;  // display N is TCP port 6000 + N
  const std::string display = "127.0.0.1:" + std::to_string(x_server.port() - 6000);
  const ScopedEnvironment session({{"DISPLAY", display}}, {"WAYLAND_DISPLAY", "QT_QPA_PLATFORM"});

  RunningProgram& program = start();
  EXPECT_TRUE(wait_for_empty_queue()) << program.output();
  EXPECT_NE(program.output().find("the display '" + display +
                                  "' does not answer; running without a window"),
            std::string::npos)
      << program.output();
  EXPECT_TRUE(program.running());
  EXPECT_TRUE(exited_with(program.stop(), 0)) << program.output();
}

// A database user that can only log in with a password, removed again however the test ends.
class PasswordUser {
 public:
  using Sql = std::function<void(const std::string&)>;
  PasswordUser(Sql sql, std::string name, const std::string& database, const std::string& password)
      : sql_(std::move(sql)), name_(std::move(name)) {
    drop();
    sql_("CREATE USER '" + name_ + "'@'127.0.0.1' IDENTIFIED BY '" + password + "'");
    sql_("GRANT ALL ON `" + database + "`.* TO '" + name_ + "'@'127.0.0.1'");
  }
  ~PasswordUser() { drop(); }
  PasswordUser(const PasswordUser&) = delete;
  PasswordUser& operator=(const PasswordUser&) = delete;
  const std::string& name() const { return name_; }

 private:
  void drop() { sql_("DROP USER IF EXISTS '" + name_ + "'@'127.0.0.1'"); }

  Sql sql_;
  std::string name_;
};

class OptionFileTest : public DesktopStartTest {
 protected:
  // An option file in the test's folder, readable by its owner only.
  std::string option_file(const std::string& text) {
    const std::string path = (folder_ / "my.cnf").string();
    std::ofstream(path) << text;
    EXPECT_EQ(chmod(path.c_str(), 0600), 0);
    return path;
  }
};

TEST_F(OptionFileTest, ThePasswordComesFromTheOptionFile) {
  const PasswordUser user([this](const std::string& statement) { sql(statement); },
                          "talvex_venue_" + std::to_string(getpid()), database_, "venue pass");

  const std::string wrong = option_file("[client]\nuser = " + user.name() + "\npassword = wrong\n");
  RunningProgram refused = another("refused.log", {"--defaults-file", wrong});
  ASSERT_TRUE(wait_for([&] { return !refused.running(); }));
  EXPECT_TRUE(exited_with(refused.status(), 1)) << refused.output();
  EXPECT_NE(refused.output().find("Access denied for user '" + user.name() +
                                  "'@'127.0.0.1' (using password: YES)"),
            std::string::npos)
      << refused.output();

  start(20,
        {"--defaults-file", option_file("[client]\nuser = " + user.name() +
                                        "\npassword = wrong\n[talvex]\npassword = venue pass\n")});
  EXPECT_TRUE(wait_for_empty_queue()) << program_->output();
}

}  // namespace
}  // namespace talvex::testing
