// The service stopped in the middle of a job and started again: by a termination request, which
// lets the job in hand end first, and by SIGKILL, as a crash would stop it. The real program runs
// against the private MariaDB server and prints on directory printers; every test ends with the
// audit of the queue against the documents.

#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "tests/support/venue_test.h"

namespace talvex::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kFirstJob = 101;
constexpr int kJobs = 22;
constexpr int kTickMs = 5;

// The stems of the finished files of a directory printer whose PDF or record is missing: a
// document cut in half between its two renames.
std::set<std::string> half_documents(const fs::path& root) {
  std::set<std::string> out;
  for (const fs::directory_entry& printer : fs::directory_iterator(root)) {
    std::map<std::string, int> files;
    for (const fs::directory_entry& e : fs::directory_iterator(printer.path())) {
      const std::string name = e.path().filename().string();
      if (name.front() != '.')
        ++files[(printer.path().filename() / e.path().stem()).string()];
    }
    for (const auto& [stem, count] : files) {
      if (count != 2)
        out.insert(stem);
    }
  }
  return out;
}

// The seed of a series of kills: TALVEX_KILL_SEED's, to run a series again, or a new one.
unsigned kill_seed() {
  if (const char* given = std::getenv("TALVEX_KILL_SEED"))
    return static_cast<unsigned>(std::stoul(given));
  return std::random_device{}();
}

class RestartTest : public VenueTest {
 protected:
  void SetUp() override {
    VenueTest::SetUp();
    mark_printed_beforehand("status='no'");
  }
  std::string status_of(int id) {
    return scalar("select status from print where id=" + std::to_string(id));
  }
};

TEST_F(RestartTest, KilledInTheMiddleOfAJobLeavesNoHalfDocumentAndTheNextStartPrintsItInFull) {
  // The kitchen's third ticket is written into a FIFO with no reader: its PDF never gets past the
  // open, so the fourth row (the tickets of order 104, sub-order 1) stays in the middle of its
  // kitchen ticket for as long as the FIFO is there, its bar ticket already out.
  queue_demo_copies(kFirstJob, kJobs, kEveningMix);
  const fs::path fifo = printers() / "2-KITCHEN" / ".000003.pdf.part";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  RunningProgram& program = start(kTickMs);
  ASSERT_TRUE(wait_for([&] {
    for (const PrintedDocument& d : documents()) {
      if (document_key(d) == "order ticket 104/1 on BAR")
        return true;
    }
    return false;
  }));
  program.stop(SIGKILL);
  EXPECT_EQ(status_of(104), "no");

  // Nothing half printed: no document without its PDF or record, no temporary file but the FIFO.
  fs::remove(fifo);
  EXPECT_TRUE(half_documents(printers()).empty());
  EXPECT_TRUE(unfinished_files(printers()).empty());
  const VenueAudit killed = audit();
  EXPECT_TRUE(killed.clean()) << killed.report();

  // The bar ticket of the job cut short had ended; the journal in the database says so, and the
  // next start prints only the kitchen ticket, which was handed over but never came out.
  std::set<std::string> out_of_the_cut_job;
  for (const PrintedDocument& d : documents()) {
    if (status_of(std::stoi(d.order())) == "no")
      out_of_the_cut_job.insert(document_key(d));
  }
  EXPECT_EQ(out_of_the_cut_job, std::set<std::string>{"order ticket 104/1 on BAR"});

  start(kTickMs);
  ASSERT_TRUE(wait_for_empty_queue());
  const VenueAudit audit = this->audit();
  EXPECT_TRUE(audit.clean()) << audit.report();
  EXPECT_EQ(audit.printed_rows, kJobs);
}

TEST_F(RestartTest, KilledAtRandomMomentsEveryDocumentComesOutOnce) {
  // The evening's mix with the control copies on (the demo's setting), killed over and over at a
  // moment drawn at random within its first second of serving, then left to finish. The seed is
  // printed first and named by every failure; TALVEX_KILL_SEED=<seed> runs that series again.
  const unsigned seed = kill_seed();
  std::cout << "kill series seed " << seed << " (TALVEX_KILL_SEED=" << seed << " replays it)\n";
  SCOPED_TRACE("TALVEX_KILL_SEED=" + std::to_string(seed));
  RecordProperty("seed", std::to_string(seed));
  queue_demo_copies(kFirstJob, kJobs, kEveningMix);
  ASSERT_EQ(scalar("select value from settings where name='control_printer'"), "1");
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> moment_ms(0, 1000);
  constexpr int kKills = 25;
  int kills = 0;
  while (kills < kKills && scalar("select count(*) from print where status='no'") != "0") {
    RunningProgram& program = start(kTickMs);
    ASSERT_TRUE(wait_until_serving(program)) << program.output();
    // Not a wait for something: the moment of the kill is the point of the test.
    std::this_thread::sleep_for(std::chrono::milliseconds(moment_ms(random)));
    program.stop(SIGKILL);
    ++kills;
  }
  start(kTickMs);
  ASSERT_TRUE(wait_for_empty_queue());

  const VenueAudit audit = this->audit();
  EXPECT_TRUE(audit.clean()) << audit.report();
  EXPECT_EQ(audit.printed_rows, kJobs);
  int marked_repeats = 0;
  for (const PrintedDocument& d : documents())
    marked_repeats += d.text_starting("ПОВТОР").empty() ? 0 : 1;
  EXPECT_EQ(marked_repeats, 0);
  RecordProperty("kills", kills);
  RecordProperty("jobs", kJobs);
  RecordProperty("documents", audit.documents);
  RecordProperty("duplicates", audit.duplicates);
  RecordProperty("marked_repeats", marked_repeats);
}

TEST_F(RestartTest, RowSetBackToNoAfterItWasPrintedPrintsInFullOnTheNextStart) {
  // The front end asks for a printed sub-order again while the service is down: the journal of
  // the printed row must not hold anything back.
  queue_demo_copies(kFirstJob, 1, {{"podzakaz", 3, 1}});
  RunningProgram& program = start(kTickMs);
  ASSERT_TRUE(wait_for([&] { return status_of(kFirstJob) == "yes"; }));
  program.stop(SIGKILL);
  const std::size_t first_time = documents().size();
  EXPECT_EQ(first_time, 3u);  // the BAR, KITCHEN and control tickets

  sql("UPDATE print SET status='no' WHERE id=" + std::to_string(kFirstJob));
  start(kTickMs);
  ASSERT_TRUE(wait_for_empty_queue());
  std::map<std::string, int> copies;
  for (const PrintedDocument& d : documents()) {
    EXPECT_TRUE(d.text_starting("ПОВТОР").empty()) << d.record;
    ++copies[document_key(d)];
  }
  EXPECT_EQ(copies, (std::map<std::string, int>{{"order ticket 101/1 on BAR", 2},
                                                {"order ticket 101/1 on CONTROL", 2},
                                                {"order ticket 101/1 on KITCHEN", 2}}));
}

TEST_F(RestartTest, QueueEmptiedWhileStoppedAndAnIdReusedPrintsTheNewRowInFull) {
  // Row 1 asks for the tickets of sub-order 2 of order 1: its BAR ticket comes out, its KITCHEN
  // printer's port names no printer, so the job fails half done and waits. The program is stopped.
  sql("DELETE FROM print");
  printed_before_.clear();
  sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (1, 1, 2, 'podzakaz', 'no')");
  sql("UPDATE printers SET port=9 WHERE name='KITCHEN'");
  RunningProgram& program = start(kTickMs);
  ASSERT_TRUE(wait_for([&] {
    return scalar("select count(*) from talvex_documents where document='job' and state='held'") ==
           "1";
  })) << program.output();
  ASSERT_EQ(kill(program.pid(), SIGTERM), 0);
  ASSERT_TRUE(wait_for([&] { return !program.running(); }) || !program.running());

  // While it is down, the front end empties its queue, which starts the ids again, and queues
  // sub-order 1 of the same order; the kitchen printer is back.
  sql("UPDATE printers SET port=2 WHERE name='KITCHEN'");
  sql("TRUNCATE TABLE print");
  sql("INSERT INTO print (zakaz, podzakaz, type, status) VALUES (1, 1, 'podzakaz', 'no')");
  ASSERT_EQ(scalar("select id from print"), "1");

  start(kTickMs);
  ASSERT_TRUE(wait_for_empty_queue());
  std::multiset<std::string> printed;
  for (const PrintedDocument& d : documents())
    printed.insert(document_key(d));
  EXPECT_EQ(printed,
            (std::multiset<std::string>{"order ticket 1/1 on BAR", "order ticket 1/1 on CONTROL",
                                        "order ticket 1/1 on KITCHEN", "order ticket 1/2 on BAR"}));
  const VenueAudit audit = this->audit({}, {{"podzakaz", "1", "2"}});
  EXPECT_TRUE(audit.clean()) << audit.report();
  EXPECT_EQ(audit.printed_rows, 1);
}

TEST_F(RestartTest, SecondCopyOfABillPrintedAfterAKillCarriesTheFirstCopysDiscount) {
  // The pre-check of order 1, whose client has a 10% discount; with the demo's control_printer
  // "1" it has two copies. The record that the second copy is handed to its printer waits until
  // the test has killed the program: the first copy is out, the second never reached the printer.
  sql("DELETE FROM print");
  printed_before_.clear();
  sql("INSERT INTO print (id, zakaz, type, status) VALUES (1, 1, 'predcheck', 'no')");
  hold_journal_record("INSERT", "NEW.document='second copy'");
  RunningProgram& program = start(kTickMs);
  const std::string held = wait_for_held_record();
  ASSERT_FALSE(held.empty()) << program.output();
  program.stop(SIGKILL);
  sql("KILL " + held);
  drop_held_record();

  // The client's discount is cleared meanwhile: a client whose discount reads empty leaves the
  // bill's discount as the first copy had it.
  sql("UPDATE clients SET discount=NULL WHERE id=(select client from zakaz where id=1)");
  start(kTickMs);
  ASSERT_TRUE(wait_for_empty_queue());
  const std::vector<PrintedDocument> bills = documents();
  ASSERT_EQ(bills.size(), 2u);
  for (const PrintedDocument& bill : bills) {
    EXPECT_EQ(bill.text_starting("Скидка: "), "Скидка: 10% 2717 тг.") << bill.record;
    EXPECT_TRUE(bill.text_starting("ПОВТОР").empty()) << bill.record;
  }
  const VenueAudit audit = this->audit();
  EXPECT_TRUE(audit.clean()) << audit.report();
}

}  // namespace
}  // namespace talvex::testing
