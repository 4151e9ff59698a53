// Two services on one database: a venue with two computers, each with its own printers, or the
// service started twice by mistake. Each job must print once, whichever service takes it. The real
// program runs twice against the private MariaDB server; the audit reads both services' printers.

#include <signal.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/venue_test.h"

namespace talvex::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kJobs = 50;
constexpr int kTickMs = 2;

// Holds a program still (SIGSTOP) for the object's life; the program keeps its connection, and
// with it anything its session holds.
class Paused {
 public:
  explicit Paused(RunningProgram& program) : pid_(program.pid()) { kill(pid_, SIGSTOP); }
  ~Paused() { kill(pid_, SIGCONT); }
  Paused(const Paused&) = delete;
  Paused& operator=(const Paused&) = delete;

 private:
  pid_t pid_;
};

class TwoServicesTest : public VenueTest {
 protected:
  // Whether a session holds the queue lock of the test's database.
  bool queue_lock_taken() {
    return scalar("select is_used_lock(concat('talvex print queue ', database()))") != "";
  }
};

TEST_F(TwoServicesTest, EveryJobPrintsOnceWhicheverServiceTakesIt) {
  mark_printed_beforehand("status='no'");
  const fs::path second_printers = make_printers("printers-2");
  RunningProgram& first = start(kTickMs);
  // The second service runs as on another computer: with a runtime folder of its own, so that the
  // lock that keeps one service per user and database on a computer does not stop it.
  const fs::path other_computer = folder_ / "runtime-2";
  fs::create_directory(other_computer);
  fs::permissions(other_computer, fs::perms::owner_all);
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string own_runtime = runtime != nullptr ? runtime : "";
  setenv("XDG_RUNTIME_DIR", other_computer.c_str(), 1);
  const std::unique_ptr<RunningProgram> second = launch(second_printers, kTickMs, {}, "second.log");
  setenv("XDG_RUNTIME_DIR", own_runtime.c_str(), 1);
  ASSERT_TRUE(wait_for([&] {
    return scalar("select count(*) from information_schema.processlist where db='" + database_ +
                  "' and id <> connection_id()") == "2";
  }));

  // The front end queues a burst of jobs; both services find them at their next check.
  queue_demo_copies(101, kJobs, kEveningMix);
  ASSERT_TRUE(wait_for_empty_queue()) << first.output() << second->output();
  EXPECT_TRUE(second->running()) << second->output();

  const VenueAudit audit = this->audit();
  EXPECT_TRUE(audit.clean()) << audit.report();
  EXPECT_EQ(audit.printed_rows, kJobs);
  RecordProperty("documents_of_the_first", static_cast<int>(printed_documents(printers()).size()));
  RecordProperty("documents_of_the_second",
                 static_cast<int>(printed_documents(second_printers).size()));

  // Which service took the burst's jobs is chance. Now each service in turn is held still while a
  // few more jobs come: the other must print them all, on its own printers. With the queue empty
  // and the lock free neither takes the lock, so the one held still holds nothing the other
  // needs; a service that kept the lock after its job would stop the other here.
  struct Turn {
    const char* working;
    RunningProgram& held;
    fs::path working_printers, held_printers;
  };
  const Turn turns[] = {{"second", first, second_printers, printers()},
                        {"first", *second, printers(), second_printers}};
  int next_job = 101 + kJobs;
  for (const Turn& turn : turns) {
    SCOPED_TRACE(std::string("the ") + turn.working + " service working alone");
    ASSERT_TRUE(wait_for([&] { return !queue_lock_taken(); }));
    const std::size_t held_before = printed_documents(turn.held_printers).size();
    const std::size_t working_before = printed_documents(turn.working_printers).size();
    {
      const Paused paused(turn.held);
      queue_demo_copies(next_job, 5, kEveningMix);
      next_job += 5;
      ASSERT_TRUE(wait_for_empty_queue()) << first.output() << second->output();
    }
    EXPECT_EQ(printed_documents(turn.held_printers).size(), held_before);
    EXPECT_GT(printed_documents(turn.working_printers).size(), working_before);
  }
  const VenueAudit after = this->audit();
  EXPECT_TRUE(after.clean()) << after.report();
  EXPECT_EQ(after.printed_rows, kJobs + 10);
  EXPECT_TRUE(first.running()) << first.output();
  EXPECT_TRUE(second->running()) << second->output();
}

}  // namespace
}  // namespace talvex::testing
