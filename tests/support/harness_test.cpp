// The test harness itself: the private-server scripts' folders, process records and port claims,
// the private server's restart, and the closed port.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/closed_port.h"
#include "tests/support/database_fixture.h"
#include "tests/support/private_server.h"
#include "tests/support/raw_printer_port.h"
#include "tests/support/run_command.h"
#include "tests/support/temporary_folder.h"

extern char** environ;

namespace talvex::testing {
namespace {

namespace fs = std::filesystem;

std::string script(const std::string& name) {
  return shell_quote(source_path("scripts/" + name));
}

// Whether a shell command succeeds; what it says goes nowhere.
bool succeeds(const std::string& command) {
  try {
    run_command("( " + command + " ) >/dev/null 2>&1");
    return true;
  } catch (const std::runtime_error&) {
    return false;
  }
}

// A bash command that runs `commands` with the functions of scripts/`library` defined.
std::string with_library(const std::string& library, const std::string& commands) {
  return "bash -c " + shell_quote("set -eu; . " + script(library) + "\n" + commands);
}

void write_file(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path) << text;
}

// A folder for mariadb-private.sh; the script removes it (server, port claim and all) at the end.
class ServerFolder {
 public:
  ServerFolder() : path_(parent_.path() + "/mariadb") {}
  ~ServerFolder() { succeeds(script("mariadb-private.sh") + " remove " + shell_quote(path_)); }
  ServerFolder(const ServerFolder&) = delete;
  ServerFolder& operator=(const ServerFolder&) = delete;

  const std::string& path() const { return path_; }
  // Runs the script's `command` on the folder, with `port` when it is not 0.
  std::string run(const std::string& command, unsigned port = 0) const {
    return run_command(script("mariadb-private.sh") + " " + command + " " + shell_quote(path_) +
                       (port != 0 ? " " + std::to_string(port) : std::string()));
  }

 private:
  TemporaryFolder parent_;
  std::string path_;
};

unsigned port_in(const std::string& output) {
  return static_cast<unsigned>(std::stoul(output));
}

// Whether a MariaDB server answers a query on 127.0.0.1:`port`.
bool server_answers(unsigned port) {
  return run_command(shell_quote(find_program("mariadb")) +
                     " --no-defaults --protocol=tcp -h127.0.0.1 -uroot -N -B -e 'SELECT 6*7' -P" +
                     std::to_string(port)) == "42\n";
}

struct RefusalCase {
  const char* script;
  const char* command;
};

// A folder the scripts did not make loses nothing, whatever they are asked to do with it.
TEST(PrivateFolder, ScriptsRefuseAFolderTheyDidNotMake) {
  const RefusalCase cases[] = {{"mariadb-private.sh", "start"},
                               {"mariadb-private.sh", "stop"},
                               {"mariadb-private.sh", "remove"},
                               {"cups-private.sh", "start"},
                               {"cups-private.sh", "stop"}};
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(std::string(c.script) + " " + c.command);
    TemporaryFolder folder;
    // Files where the scripts keep what they replace at a start.
    const std::vector<fs::path> files = {
        fs::path(folder.path()) / "conf" / "keep", fs::path(folder.path()) / "bin" / "keep",
        fs::path(folder.path()) / "tmp" / "keep", fs::path(folder.path()) / "data.new" / "keep"};
    for (const fs::path& f : files)
      write_file(f, "x");
    EXPECT_FALSE(succeeds(script(c.script) + " " + c.command + " " + shell_quote(folder.path())));
    for (const fs::path& f : files)
      EXPECT_TRUE(fs::exists(f)) << f;
  }
}

// A folder for cups-private.sh; the scheduler is stopped at the end, whatever failed.
class CupsFolder {
 public:
  explicit CupsFolder(fs::path path) : path_(std::move(path)) {}
  ~CupsFolder() { succeeds(script("cups-private.sh") + " stop " + shell_quote(path_.string())); }
  CupsFolder(const CupsFolder&) = delete;
  CupsFolder& operator=(const CupsFolder&) = delete;

  const fs::path& path() const { return path_; }
  std::string run(const std::string& command) const {
    return run_command(script("cups-private.sh") + " " + command + " " +
                       shell_quote(path_.string()));
  }
  // A CUPS command line run on this scheduler.
  std::string client(const std::string& program, const std::string& arguments) const {
    return run_command("CUPS_SERVER=" + shell_quote((path_ / "cups.sock").string()) + " " +
                       shell_quote(find_program(program)) + " " + arguments);
  }

 private:
  fs::path path_;
};

// The scheduler runs the backend of a raw queue as user lp. A clone under /root (mode 0700) puts
// the private scheduler's folder out of lp's reach; the job must still reach the printer, and
// stop must take away whatever the script kept elsewhere for lp.
TEST(PrivateCups, PrintsOnARawQueueFromAFolderThatUserLpCannotEnter) {
  TemporaryFolder parent;
  const fs::path closed = fs::path(parent.path()) / "closed";
  fs::create_directory(closed);
  fs::permissions(closed, fs::perms::owner_all, fs::perm_options::replace);
  CupsFolder cups(closed / "cups");
  RawPrinterPort printer;

  cups.run("start");
  std::string home;
  std::getline(std::ifstream(cups.path() / "home"), home);
  ASSERT_FALSE(home.empty()) << "the scheduler's files stayed where lp cannot reach them";
  cups.client("lpadmin", "-p raw -E -v socket://127.0.0.1:" + std::to_string(printer.port()) +
                             " -m raw 2>/dev/null");
  const fs::path job = fs::path(parent.path()) / "job";
  write_file(job, "raw job");
  cups.client("lp", "-d raw -o raw " + shell_quote(job.string()) + " >/dev/null");
  EXPECT_EQ(printer.receive(std::chrono::minutes(1)), std::optional<std::string>("raw job"));

  cups.run("stop");
  EXPECT_FALSE(fs::exists(home)) << home;
  EXPECT_FALSE(fs::exists(cups.path() / "home"));
}

struct RecordCase {
  const char* name;
  const char* record;  // shell code that writes the pidfile $F for the process $PID of $PROGRAM
  bool ends;
};

// A pidfile is acted on only while its pid still belongs to the process that the script started.
TEST(ProcessRecord, StopSignalsOnlyTheProcessItRecorded) {
  const RecordCase cases[] = {
      {"TheProcessItStarted", R"(record_process "$F" "$PID" "$PROGRAM")", true},
      {"APidNowRunningAnotherProgram",
       R"(record_process "$F" "$PID" "$PROGRAM"; read -r p t x <"$F"; echo "$p $t /usr/sbin/mariadbd" >"$F")",
       false},
      {"APidReusedByTheSameProgram",
       R"(record_process "$F" "$PID" "$PROGRAM"; read -r p t x <"$F"; echo "$p $((t - 1)) $x" >"$F")",
       false},
  };
  const std::string sleep_program = find_program("sleep");
  for (const RecordCase& c : cases) {
    SCOPED_TRACE(c.name);
    TemporaryFolder folder;
    const std::string pidfile = folder.path() + "/sleep.pid";
    char arg0[] = "sleep";
    char arg1[] = "600";
    char* argv[] = {arg0, arg1, nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, sleep_program.c_str(), nullptr, nullptr, argv, environ), 0);

    EXPECT_NO_THROW(run_command(
        with_library("process.sh", "F=" + shell_quote(pidfile) + " PID=" + std::to_string(pid) +
                                       " PROGRAM=" + shell_quote(sleep_program) + "\n" + c.record +
                                       "\nstop_by_pidfile \"$F\"")));
    EXPECT_FALSE(fs::exists(pidfile));
    int status = 0;
    const pid_t ended = waitpid(pid, &status, WNOHANG);
    if (c.ends) {
      EXPECT_EQ(ended, pid);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    } else {
      EXPECT_EQ(ended, 0) << "the process was signalled";
    }
    if (ended == 0) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
    }
  }
}

// Port claims on a registry of the test's own: the numbers are only names here, nothing binds.
class PortClaimTest : public ::testing::Test {
 protected:
  std::string folder(const std::string& name) {
    const std::string path = folder_.path() + "/" + name;
    fs::create_directories(path);
    return path;
  }
  std::string with_claims(const std::string& commands) {
    return "TALVEX_PORT_CLAIMS=" + shell_quote(folder_.path() + "/claims") + " " +
           with_library("port-claim.sh", commands);
  }
  bool claim(const std::string& dir, unsigned port) {
    return succeeds(with_claims("claim_port " + shell_quote(dir) + " " + std::to_string(port)));
  }
  void release(const std::string& dir) {
    run_command(with_claims("release_port " + shell_quote(dir)));
  }

  TemporaryFolder folder_;
};

TEST_F(PortClaimTest, AClaimHoldsUntilGivenUpOrItsFolderIsGone) {
  const std::string a = folder("a");
  const std::string b = folder("b");
  const std::string c = folder("c");
  EXPECT_TRUE(claim(a, 20001));
  EXPECT_FALSE(claim(b, 20001));
  EXPECT_TRUE(claim(a, 20001));  // a folder may claim its own port again

  EXPECT_TRUE(claim(a, 20002));  // a folder holds one port: a gives up 20001
  EXPECT_TRUE(claim(b, 20001));
  EXPECT_FALSE(claim(c, 20002));
  release(a);
  EXPECT_TRUE(claim(c, 20002));

  EXPECT_FALSE(claim(a, 20001));
  fs::remove_all(b);  // a claim whose folder is gone is stale
  EXPECT_TRUE(claim(a, 20001));
}

TEST_F(PortClaimTest, ConcurrentClaimsOfOnePortHaveOneWinner) {
  std::string claimers;
  for (int i = 0; i < 16; ++i) {
    claimers += "(claim_port " + shell_quote(folder("d" + std::to_string(i))) +
                " 20010 2>/dev/null && echo won) &\n";
  }
  const std::string out = run_command(with_claims(claimers + "wait"));
  std::istringstream lines(out);
  int winners = 0;
  for (std::string line; std::getline(lines, line);)
    winners += line == "won" ? 1 : 0;
  EXPECT_EQ(winners, 1) << out;
}

// While a private server is stopped its port stays claimed: another server folder cannot take
// it, and the restart gets it back.
TEST(PrivateServerPort, StaysClaimedWhileTheServerIsStopped) {
  PrivateServer server;
  server.stop();
  const ServerFolder other;
  EXPECT_THROW(other.run("start", server.port()), std::runtime_error);
  server.start();
  EXPECT_TRUE(server_answers(server.port()));
}

// A port that a program outside the tests has bound by the time the server starts is given up
// for another one: the server's failure to bind it is noticed.
TEST(PrivateServerPort, APortTakenByAnotherProgramIsReplaced) {
  const ServerFolder server;
  server.run("start");
  server.run("stop");
  const ClosedPort taken;  // bound, so the server cannot bind it; not listening, so it looks free
  write_file(fs::path(server.path()) / "claimed-port", std::to_string(taken.port()) + "\n");
  const unsigned port = port_in(server.run("start"));
  EXPECT_NE(port, taken.port());
  EXPECT_TRUE(server_answers(port));
  EXPECT_EQ(port_in(server.run("start")), port);  // a running server is reused
}

TEST(ClosedPort, RefusesConnectionsAndCannotBeBoundByOthers) {
  const ClosedPort closed;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<std::uint16_t>(closed.port()));

  const int client = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(client, 0);
  const int connected = connect(client, reinterpret_cast<sockaddr*>(&a), sizeof a);
  const int connect_error = errno;
  close(client);
  EXPECT_EQ(connected, -1);
  EXPECT_EQ(connect_error, ECONNREFUSED);

  const int other = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(other, 0);
  const int reuse = 1;
  setsockopt(other, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
  const int bound = bind(other, reinterpret_cast<sockaddr*>(&a), sizeof a);
  const int bind_error = errno;
  close(other);
  EXPECT_EQ(bound, -1);
  EXPECT_EQ(bind_error, EADDRINUSE);
}

}  // namespace
}  // namespace talvex::testing
