// The talvex program on the computer's own printers: the real binary against the private MariaDB
// server with the demo venue, printing through the private CUPS scheduler.

#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/platform/private_cups.h"
#include "tests/support/venue_test.h"

namespace talvex::testing {
namespace {

// A captured job as a printed document: its title, and its lines as the PDF reads back.
PrintedDocument as_document(const CapturedText& captured) {
  PrintedDocument d;
  d.record = captured.job.document;
  d.title = captured.job.title;
  std::istringstream lines(captured.text);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t first = line.find_first_not_of(' ');
    if (first != std::string::npos)
      d.texts.push_back({0, 0, 0, line.substr(first, line.find_last_not_of(' ') - first + 1)});
  }
  return d;
}

class CupsVenueTest : public VenueTest {
 protected:
  // Points the venue's printer rows at the private scheduler's queues and names the venue after
  // the test; returns that name, which every document of the test carries.
  std::string print_on_the_private_scheduler() {
    use_private_cups();
    // The private scheduler's queues in its order: bar-58, Kassa-80, kitchen-80 and Stop-80,
    // which refuses every job. CONTROL shares the cash desk's queue.
    sql("UPDATE printers SET port = CASE name WHEN 'BAR' THEN 0 WHEN 'KASSA' THEN 1 "
        "WHEN 'KITCHEN' THEN 2 WHEN 'CONTROL' THEN 1 END");
    // Other tests print on the same queues; this test's documents carry a name of their own.
    // (The scheduler's captures are emptied at each start, so the process id and a count of the
    // tests are enough.)
    static int tests = 0;
    const std::string venue = "Venue" + std::to_string(getpid()) + "-" + std::to_string(++tests);
    sql("UPDATE settings SET value='" + venue + "' WHERE name='oragnization'");
    return venue;
  }

  // How a job's title reaches the scheduler: whole, or as Wine's spooler hands it on. Wine cuts a
  // title with Cyrillic letters short (it counts characters where it needs bytes) and fills the
  // rest with what follows in its memory; Windows itself hands the title whole.
  enum class Titles { Whole, CutByWine };
  void check_documents_arrive(const std::function<void()>& start, Titles titles);
};

// Sub-order 1 of order 3, the pre-check of order 1 and the receipt of order 3, printed by the
// program `start` runs, arrive on the queues the printer rows name and read back whole.
void CupsVenueTest::check_documents_arrive(const std::function<void()>& start, Titles titles) {
  const std::string venue = print_on_the_private_scheduler();
  mark_printed_beforehand("id NOT IN (3, 8, 9)");

  start();
  ASSERT_TRUE(wait_for_empty_queue()) << program_->output();

  struct Expected {
    const char* title;
    std::vector<std::string> lines;
  };
  const char* ticket = "Заказ";
  const char* bill = "Предчек не cвернутый";
  const std::map<std::string, std::vector<Expected>> expected = {
      {"bar-58", {{ticket, {"Заказ № 3", "Принтер BAR", "Американо"}}}},
      {"kitchen-80", {{ticket, {"Заказ № 3", "Принтер KITCHEN", "Медовик"}}}},
      {"Kassa-80",
       {{ticket, {"Заказ № 3", "Принтер CONTROL", "Американо", "Медовик"}},
        {bill, {"Счет на оплату № 1", "Принтер KASSA", "Итог: 24453 тг."}},
        {bill, {"Счет на оплату № 1", "Принтер KASSA", "Итог: 24453 тг."}},
        {bill, {"Чек № 3", "Принтер KASSA", "Итог: 5600 тг.", "Kaspi QR: 5600 тг."}},
        {bill, {"Чек № 3", "Принтер CONTROL", "Итог: 5600 тг.", "Kaspi QR: 5600 тг."}}}},
  };
  std::vector<PrintedDocument> printed;
  for (const auto& [queue, documents] : expected) {
    SCOPED_TRACE(queue);
    std::vector<CapturedText> captured;
    // A job is captured a moment after the scheduler accepted it.
    ASSERT_TRUE(wait_for([&] {
      captured = captured_jobs(queue, venue);
      return captured.size() >= documents.size();
    }));
    ASSERT_EQ(captured.size(), documents.size());
    for (std::size_t k = 0; k < documents.size(); ++k) {
      const std::string title = documents[k].title;
      if (titles == Titles::Whole) {
        EXPECT_EQ(captured[k].job.title, title);
      } else {
        // The first two letters come through: the document's own title, not another's.
        EXPECT_EQ(captured[k].job.title.substr(0, 4), title.substr(0, 4));
      }
      for (const std::string& line : documents[k].lines)
        EXPECT_NE(captured[k].text.find(line), std::string::npos) << line << "\n"
                                                                  << captured[k].text;
      PrintedDocument d = as_document(captured[k]);
      // The audit tells the documents apart by their titles and checks their lines.
      d.title = title;
      printed.push_back(std::move(d));
    }
  }
  const VenueAudit audit = audit_venue(*connection_, printed, printed_before_);
  EXPECT_TRUE(audit.clean()) << audit.report();
}

TEST_F(CupsVenueTest, DocumentsArriveOnTheQueuesThePrinterRowsName) {
  check_documents_arrive([this] { start_on_system_printers(); }, Titles::Whole);
}

#ifdef TALVEX_WINDOWS_PROGRAM
// The Windows program on Wine's printers, which are the private scheduler's queues in its order:
// Wine's spooler hands each job to the scheduler.
TEST_F(CupsVenueTest, WindowsProgramsDocumentsArriveOnTheQueuesThePrinterRowsName) {
  check_documents_arrive([this] { program_ = launch_windows({}, 20, {}, "talvex.log"); },
                         Titles::CutByWine);
}
#endif

TEST_F(CupsVenueTest, DocumentTheSchedulerTookJustBeforeAKillIsFoundInItsHistory) {
  const std::string venue = print_on_the_private_scheduler();
  mark_printed_beforehand("status='no'");
  // Sub-order 1 of a copy of order 3: a BAR ticket, a KITCHEN ticket and the control ticket.
  queue_demo_copies(101, 1, {{"podzakaz", 3, 1}});
  // The record that the bar ticket ended waits until the test has killed the program, and never
  // lands: the scheduler has the ticket, the journal does not know it came out.
  hold_document_end("NEW.document='ticket on printer " +
                    scalar("select id from printers where name='BAR'") + "'");

  RunningProgram& program = start_on_system_printers(5);
  const std::string waiting = wait_for_held_record();
  ASSERT_FALSE(waiting.empty()) << program.output();
  program.stop(SIGKILL);
  // The statement's session outlives the program until the server is told.
  sql("KILL " + waiting);
  drop_held_record();
  ASSERT_EQ(scalar("select group_concat(state) from talvex_documents where print_id like '101 %'"),
            "handed");

  start_on_system_printers(5);
  ASSERT_TRUE(wait_for_empty_queue());
  // Whatever the scheduler was given has been captured once it has no job left.
  ASSERT_TRUE(wait_for([] { return cups_admin("lpstat -o bar-58 kitchen-80 Kassa-80").empty(); }));
  std::vector<PrintedDocument> printed;
  for (const char* queue : {"bar-58", "kitchen-80", "Kassa-80"}) {
    for (const CapturedText& captured : captured_jobs(queue, venue)) {
      EXPECT_EQ(captured.text.find("ПОВТОР"), std::string::npos) << queue;
      printed.push_back(as_document(captured));
    }
  }
  const VenueAudit audit = audit_venue(*connection_, printed, printed_before_);
  EXPECT_TRUE(audit.clean()) << audit.report();
  EXPECT_EQ(audit.documents, 3);
}

}  // namespace
}  // namespace talvex::testing
