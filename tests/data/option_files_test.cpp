#include "data/option_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "data/errors.h"
#include "tests/support/closed_port.h"
#include "tests/support/database_fixture.h"
#include "tests/support/temporary_folder.h"

namespace talvex::data {
namespace {

// Writes `text` into `path`, readable by its owner only, as a file holding a password should be.
void write_option_file(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
}

struct FileCase {
  const char* name;
  std::string text;
  OptionFileValues expected;
};

OptionFileValues values(const std::function<void(OptionFileValues&)>& set) {
  OptionFileValues v;
  set(v);
  return v;
}

const FileCase kFiles[] = {
    {"every connection key of [client]",
     "[client]\nhost = db.venue\nport = 3307\nuser = cashier\npassword = s3cret\n"
     "database = bar\n",
     values([](OptionFileValues& v) {
       v.host = "db.venue";
       v.port = 3307;
       v.user = "cashier";
       v.password = "s3cret";
       v.database = "bar";
     })},
    {"[talvex] after [client] wins, other programs' groups are left alone",
     "[client]\nuser = everyone\npassword = one\n[mysqld]\nport = 3399\n[talvex]\nuser = "
     "printer\n[mysql]\ndatabase = other\n",
     values([](OptionFileValues& v) {
       v.user = "printer";
       v.password = "one";
     })},
    {"a later line wins, whatever its group", "[talvex]\nuser = first\n[client]\nuser = last\n",
     values([](OptionFileValues& v) { v.user = "last"; })},
    {"quoted password with blanks and a hash; comments",
     "# the venue's server\n[client]\npassword = \"a b#c;d\"\n; end\n",
     values([](OptionFileValues& v) { v.password = "a b#c;d"; })},
    {"an empty value takes an earlier one back",
     "[client]\nhost = h\nuser = u\npassword = p\n[talvex]\nhost =\nuser =\npassword =\n",
     {}},
    {"nothing for the connection", "[client]\ndefault-character-set = utf8mb4\n", {}},
};

void expect_values(const OptionFileValues& got, const OptionFileValues& expected) {
  EXPECT_EQ(got.host, expected.host);
  EXPECT_EQ(got.port, expected.port);
  EXPECT_EQ(got.user, expected.user);
  EXPECT_EQ(got.password, expected.password);
  EXPECT_EQ(got.database, expected.database);
}

TEST(OptionFiles, ANamedFileGivesTheConnectionValuesOfItsClientGroups) {
  const testing::TemporaryFolder folder;
  const std::string file = folder.path() + "/my.cnf";
  for (const FileCase& c : kFiles) {
    SCOPED_TRACE(c.name);
    write_option_file(file, c.text);
    expect_values(read_option_files(file), c.expected);
  }
}

TEST(OptionFiles, ANamedFileThatCannotBeReadIsAnError) {
  const testing::TemporaryFolder folder;
  const std::string missing = folder.path() + "/missing.cnf";
  try {
    read_option_files(missing);
    ADD_FAILURE() << "no error";
  } catch (const DataError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot read the option file '" + missing + "': No such file or directory");
  }
}

// The usual list ends with the user's own ~/.my.cnf, where the README tells a venue to put the
// password.
TEST(OptionFiles, WithoutANamedFileTheUsersOwnFileIsRead) {
  const testing::TemporaryFolder home;
  write_option_file(home.path() + "/.my.cnf", "[talvex]\nuser = cashier\npassword = s3cret\n");
  const char* old_home = std::getenv("HOME");
  const std::string saved = old_home != nullptr ? old_home : "";
  setenv("HOME", home.path().c_str(), 1);
  const OptionFileValues got = read_option_files(std::nullopt);
  setenv("HOME", saved.c_str(), 1);
  EXPECT_EQ(got.user, "cashier");
  EXPECT_EQ(got.password, "s3cret");
}

TEST(OptionFiles, TheCommandLineWinsOverTheFilesAndTheFilesOverTheDefaults) {
  const ConnectionOverrides command_line{"cli-host", std::nullopt, "cli-user", std::nullopt,
                                         std::nullopt};
  const OptionFileValues files{"file-host", 3307, "file-user", "", std::nullopt};
  const ConnectionParams p = connection_params(command_line, files);
  EXPECT_EQ(p.host, "cli-host");
  EXPECT_EQ(p.port, 3307u);
  EXPECT_EQ(p.user, "cli-user");
  EXPECT_EQ(p.password, "");
  EXPECT_EQ(p.database, "screen");

  const ConnectionParams defaults = connection_params({}, {});
  EXPECT_EQ(defaults.host, "localhost");
  EXPECT_EQ(defaults.port, 3306u);
  EXPECT_EQ(defaults.user, "root");
  EXPECT_EQ(defaults.password, "");
  EXPECT_EQ(defaults.database, "screen");
}

// A user of the shared test server that can only log in with a password, as at a venue.
class PasswordLoginTest : public testing::DatabaseTest {
 protected:
  static void SetUpTestSuite() {
    DatabaseTest::SetUpTestSuite();
    user_ = "talvex_pw_" + std::to_string(getpid());
    sql("DROP USER IF EXISTS '" + user_ + "'@'127.0.0.1'");
    sql("CREATE USER '" + user_ + "'@'127.0.0.1' IDENTIFIED BY 'right pass'");
    sql("GRANT ALL ON `" + params().database + "`.* TO '" + user_ + "'@'127.0.0.1'");
  }
  static void TearDownTestSuite() {
    sql("DROP USER IF EXISTS '" + user_ + "'@'127.0.0.1'");
    DatabaseTest::TearDownTestSuite();
  }

  // Connects as the command line and the option file `text` say, and returns who the server
  // took us for, or the error.
  static std::string log_in(const ConnectionOverrides& command_line, const std::string& text) {
    const testing::TemporaryFolder folder;
    const std::string file = folder.path() + "/my.cnf";
    write_option_file(file, text);
    try {
      Connection c(connection_params(command_line, read_option_files(file)));
      const ResultTable who = c.query(Sql::fixed("SELECT CURRENT_USER(), DATABASE()"));
      return who.rows.at(0).at(0) + " " + who.rows.at(0).at(1);
    } catch (const DataError& e) {
      return e.what();
    }
  }

  static std::string user_;
};

std::string PasswordLoginTest::user_;

TEST_F(PasswordLoginTest, TheFileGivesThePasswordAndTheCommandLineWinsOverIt) {
  const std::string port = std::to_string(params().port);
  const std::string database = params().database;
  const std::string logged_in = user_ + "@127.0.0.1 " + database;
  const std::string denied =
      "Access denied for user '" + user_ + "'@'127.0.0.1' (using password: YES)";
  ConnectionOverrides server;
  server.host = "127.0.0.1";
  server.port = params().port;
  server.database = database;
  ConnectionOverrides right = server;
  right.user = user_;
  right.password = "right pass";
  ConnectionOverrides wrong = right;
  wrong.password = "wrong";

  struct Case {
    const char* name;
    ConnectionOverrides command_line;
    std::string file;
    std::string result;
  };
  const Case cases[] = {
      {"user and password from the file", server,
       "[client]\nuser = " + user_ + "\npassword = \"right pass\"\n", logged_in},
      {"[talvex] over [client]", server,
       "[client]\nuser = " + user_ + "\npassword = wrong\n[talvex]\npassword = right pass\n",
       logged_in},
      {"the whole connection from the file",
       {},
       "[client]\nhost = 127.0.0.1\nport = " + port + "\nuser = " + user_ +
           "\npassword = right pass\ndatabase = " + database + "\n",
       logged_in},
      {"the command line's password over the file's", right,
       "[client]\nuser = nobody\npassword = wrong\n", logged_in},
      {"a wrong password on the command line is not mended by the file", wrong,
       "[client]\npassword = right pass\n", denied},
      {"without a password", server, "[client]\nuser = " + user_ + "\n",
       "Access denied for user '" + user_ + "'@'127.0.0.1' (using password: NO)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(log_in(c.command_line, c.file), c.result);
  }
}

// A host from the file is used and reported as one from the command line: the same texts. (The
// text of a host that does not resolve is the data layer's own, tested without a resolver.)
TEST_F(PasswordLoginTest, AHostFromTheFileFailsWithTheCommandLinesTexts) {
  const testing::ClosedPort closed;
  EXPECT_EQ(
      log_in({}, "[client]\nhost = 127.0.0.1\nport = " + std::to_string(closed.port()) + "\n"),
      "Cannot connect to server on host '127.0.0.1':\r\nConnection refused.\r\nSocket Error "
      "Code: 111($6F)");
}

}  // namespace
}  // namespace talvex::data
