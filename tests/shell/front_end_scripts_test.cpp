// The front end's stand-ins that the README hands a new user (scripts/queue-job.sh and
// scripts/show-queue.sh) against the test's database, and what the program says about the jobs
// they queue.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/database_fixture.h"
#include "tests/support/run_command.h"
#include "tests/support/venue_test.h"

namespace talvex::testing {
namespace {

class FrontEndScriptsTest : public VenueTest {
 protected:
  // Runs scripts/`name` with the connection options first and `arguments` after them; returns
  // what it wrote to both outputs, then "exit=N".
  std::string script(const std::string& name, const std::string& arguments) {
    return run_command(shell_quote(source_path("scripts/" + name)) + " --host 127.0.0.1 --port " +
                       std::to_string(params_.port) + " --database " + shell_quote(database_) +
                       " " + arguments + " 2>&1; echo exit=$?");
  }
};

TEST_F(FrontEndScriptsTest, QueueAJobAndShowTheWaitingRows) {
  mark_printed_beforehand("status='no'");
  const std::string queued = script("queue-job.sh", "predcheck 4");
  ASSERT_NE(queued.find("\nexit=0"), std::string::npos) << queued;
  const std::string id = queued.substr(0, queued.find('\n'));
  EXPECT_EQ(scalar("select concat(type, ' ', zakaz, ' ', status) from print where id=" + id),
            "predcheck 4 no");

  // --waiting, documented in the script's header, shows the new row and no printed one.
  const std::string waiting = script("show-queue.sh", "--waiting");
  EXPECT_NE(waiting.find("\nexit=0"), std::string::npos) << waiting;
  EXPECT_NE(waiting.find("| " + id + " | predcheck"), std::string::npos) << waiting;
  EXPECT_EQ(waiting.find("| yes"), std::string::npos) << waiting;
  EXPECT_NE(script("show-queue.sh", "").find("| yes"), std::string::npos);
}

struct Refusal {
  const char* script;
  const char* arguments;
  const char* problem;  // the first line of what the script says
};

TEST_F(FrontEndScriptsTest, AWrongArgumentIsNamedAboveTheUsage) {
  const Refusal refusals[] = {
      {"queue-job.sh", "nosuchtype 1", "queue-job: unknown job type 'nosuchtype'"},
      {"queue-job.sh", "predcheck", "queue-job: predcheck takes one order number"},
      {"queue-job.sh", "podzakaz 2", "queue-job: podzakaz takes an order and a sub-order number"},
      {"queue-job.sh", "--waiting predcheck 4", "queue-job: unknown option '--waiting'"},
      {"queue-job.sh", "predcheck 4x", "queue-job: '4x' is not an order or sub-order number"},
      {"show-queue.sh", "--all", "show-queue: unknown argument '--all'"},
  };
  const std::string rows = scalar("select count(*) from print");
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(std::string(r.script) + " " + r.arguments);
    const std::string said = script(r.script, r.arguments);
    EXPECT_EQ(said.substr(0, said.find('\n')), r.problem) << said;
    EXPECT_NE(said.find("\nexit=2"), std::string::npos) << said;
  }
  EXPECT_EQ(scalar("select count(*) from print"), rows);
}

// The error box keeps the message as it is; the line on standard error says which row failed, so
// that whoever reads the log can find the job.
TEST_F(FrontEndScriptsTest, AJobOnAMissingOrderIsNamedByItsRowOnStandardError) {
  mark_printed_beforehand("status='no'");
  const std::string queued = script("queue-job.sh", "predcheck 999999");
  const std::string id = queued.substr(0, queued.find('\n'));

  RunningProgram& program = start();
  const std::string line =
      "talvex: `print` row " + id + ", predcheck, order 999999: '' is not a valid integer value.\n";
  EXPECT_TRUE(wait_for([&] { return program.output().find(line) != std::string::npos; }))
      << program.output();
  EXPECT_EQ(scalar("select status from print where id=" + id), "no");
  EXPECT_TRUE(documents().empty());
}

}  // namespace
}  // namespace talvex::testing
