// Two services on one database: a venue with two computers, each with its own printers, or the
// service started twice by mistake. Each job must print once, whichever service takes it. The real
// program runs twice against the private MariaDB server; the audit reads both services' printers.

#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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

// The name of the computer the tests run on, as the program reads it.
std::string this_computer() {
  char name[256] = {};
  gethostname(name, sizeof name - 1);
  return name;
}

// The documents under a printer folder by their keys ("order ticket 101/1 on KITCHEN"), those
// that carry the repeat line marked so, sorted.
std::vector<std::string> printed_keys(const fs::path& root) {
  std::vector<std::string> out;
  for (const PrintedDocument& d : printed_documents(root))
    out.push_back(document_key(d) + (d.text_starting("ПОВТОР").empty() ? "" : ", ПОВТОР"));
  std::sort(out.begin(), out.end());
  return out;
}

class TwoServicesTest : public VenueTest {
 protected:
  // Whether a session holds the queue lock of the test's database.
  bool queue_lock_taken() {
    return scalar("select is_used_lock(concat('talvex print queue ', database()))") != "";
  }

  // A second service, as on another computer: named `computer` (the program runs in a namespace
  // of its own with that host name), with a runtime folder of its own, so that the lock that keeps
  // one service per user and database on a computer does not stop it, printing under `printers`.
  std::unique_ptr<RunningProgram> launch_elsewhere(const std::string& computer,
                                                   const fs::path& printers,
                                                   int tick_ms = kTickMs) {
    const fs::path runtime = folder_ / ("runtime-" + computer);
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    std::vector<std::string> args = {"--uts",
                                     "/bin/sh",
                                     "-c",
                                     "hostname \"$0\" && XDG_RUNTIME_DIR=\"$1\" && shift && "
                                     "export XDG_RUNTIME_DIR && exec \"$@\"",
                                     computer,
                                     runtime.string(),
                                     TALVEX_PROGRAM};
    for (const std::string& a : connection_arguments())
      args.push_back(a);
    args.insert(args.end(),
                {"--printers", printers.string(), "--tick-ms", std::to_string(tick_ms)});
    auto program =
        std::make_unique<RunningProgram>("/usr/bin/unshare", args, folder_ / (computer + ".log"));
    EXPECT_TRUE(program->started());
    return program;
  }
};

TEST_F(TwoServicesTest, EveryJobPrintsOnceWhicheverServiceTakesIt) {
  mark_printed_beforehand("status='no'");
  const fs::path second_printers = make_printers("printers-2");
  RunningProgram& first = start(kTickMs);
  const std::unique_ptr<RunningProgram> second =
      launch_elsewhere("second-computer", second_printers);
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

TEST_F(TwoServicesTest, ServiceOnAnotherComputerFinishesAJobCutShortAfterItsHold) {
  // Ticks of 10 ms: the first service's hold of 300 ticks is 3 s, which leaves the test time to
  // hold that service still before it tries the row again itself.
  constexpr int kHoldTickMs = 10;
  mark_printed_beforehand("status='no'");
  // The second computer's service runs first, so that it is serving, past its start, when the
  // hold begins: one that ignored the hold would take the row at once. It is held still while the
  // first takes the row.
  const fs::path second_printers = make_printers("printers-2");
  const std::unique_ptr<RunningProgram> second =
      launch_elsewhere("second-computer", second_printers, kHoldTickMs);
  ASSERT_TRUE(wait_until_serving(*second)) << second->output();
  std::optional<Paused> second_paused(std::in_place, *second);

  // Sub-order 1 of a copy of order 3: a BAR ticket, a KITCHEN ticket and the control ticket, in
  // that order.
  constexpr int kRow = 101;
  const std::string row = std::to_string(kRow);
  queue_demo_copies(kRow, 1, {{"podzakaz", 3, 1}});
  const std::string kitchen_ticket =
      "ticket on printer " + scalar("select id from printers where name='KITCHEN'");
  const std::string first_computer = this_computer();

  // Every journal line the services write, with the server's time, in a table of the test's own.
  sql("CREATE TABLE journal_log (document VARCHAR(64), state VARCHAR(10), computer VARCHAR(255), "
      "held_until DATETIME(3), at DATETIME(3))");
  for (const char* event : {"INSERT", "UPDATE"}) {
    sql(std::string("CREATE TRIGGER log_") + event + " AFTER " + event +
        " ON talvex_documents FOR EACH ROW INSERT INTO journal_log VALUES "
        "(NEW.document, NEW.state, NEW.computer, NEW.held_until, NOW(3))");
  }
  // The first computer's record that its kitchen ticket ended waits until the test kills the
  // connection, and never lands: the ticket has come out, the journal does not know it.
  hold_document_end("NEW.document='" + kitchen_ticket + "' AND NEW.computer='" + first_computer +
                    "'");

  RunningProgram& first = start(kHoldTickMs);
  const std::string cut = wait_for_held_record();
  ASSERT_FALSE(cut.empty()) << first.output();
  sql("KILL " + cut);
  // The first service connects again and holds the row for 300 ticks; then it is held still, so
  // that only the second can take the row, and the second goes on.
  ASSERT_TRUE(wait_for([&] {
    return scalar("select count(*) from talvex_documents where print_id like '" + row +
                  " %' and document='job' and state='held'") == "1";
  })) << first.output();
  const Paused paused(first);
  second_paused.reset();
  ASSERT_TRUE(wait_for_empty_queue()) << first.output() << second->output();

  // The bar ticket had ended and is not printed again; the kitchen ticket had come out but was not
  // known to, so the second computer prints it under the repeat line; the control ticket had not
  // been printed and comes out plainly.
  EXPECT_EQ(printed_keys(printers()), (std::vector<std::string>{"order ticket 101/1 on BAR",
                                                                "order ticket 101/1 on KITCHEN"}));
  EXPECT_EQ(printed_keys(second_printers),
            (std::vector<std::string>{"order ticket 101/1 on CONTROL",
                                      "order ticket 101/1 on KITCHEN, ПОВТОР"}));
  const VenueAudit audit = this->audit({{"order ticket 101/1 on KITCHEN", 1}});
  EXPECT_TRUE(audit.clean()) << audit.report();
  EXPECT_EQ(audit.repeated, 1);

  // The hold was 300 ticks on the server's clock, and the second service handed nothing before it
  // ran out.
  EXPECT_EQ(scalar("select timestampdiff(microsecond, at, held_until) from journal_log "
                   "where document='job' and state='held'"),
            std::to_string(300 * kHoldTickMs * 1000));
  EXPECT_EQ(scalar("select count(*) from journal_log j, journal_log h where h.document='job' and "
                   "h.state='held' and "
                   "j.computer='second-computer' and j.state='handed' and j.at < h.held_until"),
            "0");
  EXPECT_EQ(scalar("select count(*) from journal_log where computer='second-computer' and "
                   "state='handed'"),
            "2");
  EXPECT_TRUE(second->running()) << second->output();
}

}  // namespace
}  // namespace talvex::testing
