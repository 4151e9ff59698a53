#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/print_service.h"
#include "tests/support/database_fixture.h"
#include "tests/support/fakes.h"
#include "tests/support/recording_print_system.h"

namespace talvex::testing {
namespace {

using platform::PanelLabel;

// Sub-orders 1 and 2 of order 10 each have a BAR line (printer row 2, installed printer 1) and a
// KITCHEN line (printer row 4, installed printer 2); row 100 asks for the tickets of sub-order 1.
// Each service is a separate PrintService on the suite's database, as a second process or a second
// computer would be; the journal is all they share.
class DocumentJournalTest : public DatabaseTest {
 protected:
  // The journal's key of row 100 as SetUp queues it.
  static constexpr const char* kRowKey = "100 podzakaz 10 1";

  void SetUp() override {
    DatabaseTest::SetUp();
    sql("INSERT INTO settings (name, value) VALUES ('printer_timer', '5'), "
        "('name_check_left', '0'), ('title_check_left', '0'), ('control_printer', '0')");
    sql("INSERT INTO printers (id, name, port) VALUES (1, 'KASSA', 0), (2, 'BAR', 1), "
        "(4, 'KITCHEN', 2), (5, 'CONTROL', 3)");
    sql("INSERT INTO tables (id, name, procent) VALUES (1, 'Стол 1', 10)");
    sql("INSERT INTO zakaz (id, date_open, date_close, tables, waitres) VALUES "
        "(10, 1428400000, 1428403600, 1, 'Максим')");
    sql("INSERT INTO menu (id, name) VALUES (1, 'Пиво'), (2, 'Шашлык')");
    sql("INSERT INTO podzakaz (zakaz, podzakaz, printer, menu, kolvo, price) VALUES "
        "(10, 1, 2, 1, 2, 900), (10, 1, 4, 2, 1, 3800), (10, 2, 2, 1, 1, 900), "
        "(10, 2, 4, 2, 2, 3800)");
    sql("INSERT INTO pay (zakaz, type_pay, cash_pay) VALUES (10, 1, 6000)");
    sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (100, 10, 1, 'podzakaz', "
        "'no')");
  }

  // An account of the suite's own that may read and update the front end's tables, and do
  // `journal_grant` with the journal (nothing when empty). Dropped when the test ends.
  data::ConnectionParams clerk(const std::string& journal_grant) {
    const std::string user = "clerk_" + params().database;
    sql("DROP USER IF EXISTS '" + user + "'@'%'");
    sql("CREATE USER '" + user + "'@'%'");
    for (const char* table : {"printers", "settings", "print", "zakaz", "podzakaz", "menu",
                              "tables", "cat_tables", "clients", "pay", "type_pay"}) {
      sql("GRANT SELECT, UPDATE ON `" + params().database + "`.`" + table + "` TO '" + user +
          "'@'%'");
    }
    if (!journal_grant.empty()) {
      sql("GRANT " + journal_grant + " ON `" + params().database + "`.`talvex_documents` TO '" +
          user + "'@'%'");
    }
    clerk_ = user;
    data::ConnectionParams p = params();
    p.user = user;
    p.password.clear();
    return p;
  }

  void TearDown() override {
    if (!clerk_.empty())
      sql("DROP USER IF EXISTS '" + clerk_ + "'@'%'");
    DatabaseTest::TearDown();
  }

  // A service on `computer` whose timers tick every 100 ms: a failed row's hold of 300 ticks is
  // 30 s on the server's clock.
  std::unique_ptr<app::PrintService> start_service(const std::string& computer,
                                                   const data::ConnectionParams& p = params()) {
    auto service = std::make_unique<app::PrintService>(
        p, app::Services{panel, printer, box, clock, "Talvex", computer,
                         std::chrono::milliseconds(100)});
    service->open_database();
    service->start();
    return service;
  }

  static void tick(app::PrintService& service, int n) {
    for (int i = 0; i < n; ++i) {
      service.data_check_tick();
      service.queue_check_tick();
    }
  }

  // A document as the journal would hold it after its sender stopped half way, under `key`.
  static void journal_line(const std::string& document, const std::string& state,
                           const std::string& computer, const std::string& printer_name,
                           const std::string& identity, const std::string& key = kRowKey) {
    sql("INSERT INTO talvex_documents (print_id, document, state, computer, printer, identity, "
        "service, at) VALUES ('" +
        key + "', '" + document + "', '" + state + "', '" + computer + "', '" + printer_name +
        "', '" + identity + "', 'stopped service', NOW(3))");
  }

  std::vector<int> printed_indexes() const {
    std::vector<int> out;
    for (const auto& job : printers.jobs)
      out.push_back(job.index);
    return out;
  }

  std::string status() { return scalar("select status from print where id=100"); }

  FakePanel panel;
  FakeMessageBox box;
  FakeClock clock;
  RecordingPrintSystem printers;
  platform::Printer printer{printers};
  std::string clerk_;
};

TEST_F(DocumentJournalTest, ServiceCreatesTheTableAsTheSchemaHasIt) {
  const std::string from_schema = rows("SHOW CREATE TABLE talvex_documents").at(0).at(1);
  sql("DROP TABLE talvex_documents");
  auto service = start_service("kassa-pc");
  EXPECT_EQ(rows("SHOW CREATE TABLE talvex_documents").at(0).at(1), from_schema);
  EXPECT_TRUE(box.shown.empty());
}

TEST_F(DocumentJournalTest, NextStartPrintsOnlyWhatHadNotComeOutAfterTheHoldRunsOut) {
  sql("UPDATE printers SET port=7 WHERE id=4");
  {
    auto first = start_service("kassa-pc");
    tick(*first, 10);
    ASSERT_EQ(printed_indexes(), std::vector<int>{1});  // BAR out, KITCHEN failed
  }
  EXPECT_EQ(scalar("select state from talvex_documents where document='ticket on printer 2'"),
            "ended");
  EXPECT_EQ(scalar("select held_until > NOW(3) + INTERVAL 20 SECOND from talvex_documents "
                   "where document='job'"),
            "1");

  // The service starts again: the row waits out the hold the stopped one left, 300 ticks of its
  // own once the server's clock has run past it too (here the test moves it on).
  sql("UPDATE printers SET port=2 WHERE id=4");
  auto again = start_service("kassa-pc");
  tick(*again, 250);
  EXPECT_EQ(printed_indexes(), std::vector<int>{1});
  EXPECT_EQ(status(), "no");

  sql("UPDATE talvex_documents SET held_until=NOW(3) WHERE document='job'");
  tick(*again, 70);
  EXPECT_EQ(printed_indexes(), (std::vector<int>{1, 2}));
  EXPECT_EQ(status(), "yes");
  EXPECT_EQ(scalar("select group_concat(distinct state) from talvex_documents"), "marked");
  EXPECT_EQ(box.shown.size(), 1u);
}

TEST_F(DocumentJournalTest, DocumentHandedButNotKnownToHaveEndedIsLookedUpOrMarkedAsARepeat) {
  struct Case {
    const char* name;
    const char* computer;  // where the BAR ticket was handed over
    bool on_the_printer;   // whether the BAR printer holds it
    bool printer_cannot_tell;
    bool bar_printed_again;
    bool marked_as_repeat;
  };
  for (const Case& c : {
           Case{"found on this computer's printer", "kassa-pc", true, false, false, false},
           Case{"not found on this computer's printer", "kassa-pc", false, false, true, false},
           Case{"this computer's printer cannot tell", "kassa-pc", false, true, true, true},
           Case{"handed on another computer", "bar-pc", true, false, true, true},
       }) {
    SCOPED_TRACE(c.name);
    SetUp();
    printers.jobs.clear();
    printers.cannot_tell = c.printer_cannot_tell;
    if (c.on_the_printer)
      printers.jobs.push_back({1, "BAR-58", platform::PrintedPage{"Заказ", {}, "5eed"}});
    journal_line("ticket on printer 2", "handed", c.computer, "BAR-58", "5eed");
    const std::size_t before = printers.jobs.size();

    auto service = start_service("kassa-pc");
    tick(*service, 10);
    ASSERT_TRUE(box.shown.empty()) << box.shown[0].text;
    EXPECT_EQ(status(), "yes");
    std::vector<int> printed;
    for (std::size_t k = before; k < printers.jobs.size(); ++k)
      printed.push_back(printers.jobs[k].index);
    EXPECT_EQ(printed, c.bar_printed_again ? (std::vector<int>{1, 2}) : (std::vector<int>{2}));
    // The ticket's first lines (the venue's name and title are empty here, and draw nothing): a
    // repeat has one 12-point line above the header, which moves down by it.
    const auto head = [&](std::size_t n) {
      const std::vector<std::string> lines = printers.lines(n);
      return std::vector<std::string>(lines.begin(), lines.begin() + 2);
    };
    const std::vector<std::string> plain{"0,125,12,Заказ № 10", "0,175,8,Подзаказ №: 1"};
    const std::vector<std::string> repeat{"0,0,12,ПОВТОР", "0,175,12,Заказ № 10"};
    if (c.bar_printed_again) {
      EXPECT_EQ(head(before), c.marked_as_repeat ? repeat : plain);
    }
    EXPECT_EQ(head(printers.jobs.size() - 1), plain);  // the KITCHEN ticket is never a repeat
  }
}

TEST_F(DocumentJournalTest, DocumentThatThePrinterRefusedIsPrintedPlainlyNextTime) {
  // A printer whose records tell nothing: a document left as handed would come out as a repeat.
  printers.cannot_tell = true;
  printers.refuse_with = "The printer is out of paper";
  auto service = start_service("kassa-pc");
  tick(*service, 10);
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(scalar("select count(*) from talvex_documents where document<>'job'"), "0");

  printers.refuse_with.reset();
  tick(*service, 305);
  ASSERT_EQ(printed_indexes(), (std::vector<int>{1, 2}));
  for (std::size_t n : {0u, 1u})
    EXPECT_EQ(printers.lines(n).at(0), "0,125,12,Заказ № 10");
  EXPECT_EQ(status(), "yes");
}

TEST_F(DocumentJournalTest, WithoutThePrivilegeTheServiceSaysSoOnceAndPrintsAsBefore) {
  struct Case {
    const char* name;
    const char* journal_grant;  // what the clerk may do with the journal
  };
  for (const Case& c : {Case{"no privilege on the journal", ""},
                        Case{"the journal may be read, not written", "SELECT"}}) {
    SCOPED_TRACE(c.name);
    SetUp();
    printers.jobs.clear();
    box.shown.clear();
    auto service = start_service("kassa-pc", clerk(c.journal_grant));
    tick(*service, 10);
    sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (101, 10, 1, 'podzakaz', "
        "'no')");
    tick(*service, 5);
    EXPECT_EQ(printed_indexes(), (std::vector<int>{1, 2, 1, 2}));
    EXPECT_EQ(scalar("select group_concat(status) from print"), "yes,yes");
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text.rfind("Talvex cannot keep its journal of printed documents", 0), 0u)
        << box.shown[0].text;
    EXPECT_NE(panel.label(PanelLabel::QueueState).find("Журнал печати не ведётся"),
              std::string::npos)
        << panel.label(PanelLabel::QueueState);
  }
}

// What the service remembers of a row belongs to the row as its job found it, in the journal and
// in the service itself: a front end that empties `print` and queues a new row under an old id,
// or rewrites a waiting row, gets the new row printed in full and at once, neither held by the
// old row's failure nor missing the tickets the old row had printed.
TEST_F(DocumentJournalTest, RowWithAReusedIdStartsWithNothingOfTheOldRow) {
  struct Case {
    const char* name;
    std::vector<std::string> new_row;  // what the front end does while the service runs
    const char* journal_grant;         // the journal: kept (everything), or not (nothing)
  };
  const std::vector<std::string> kEmptiedAndQueuedAgain = {
      "DELETE FROM print",
      "INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (100, 10, 2, 'podzakaz', "
      "'no')"};
  const std::vector<std::string> kRewritten = {"UPDATE print SET podzakaz=2 WHERE id=100"};
  const char* const kKept = "SELECT, INSERT, UPDATE, DELETE";
  for (const Case& c :
       {Case{"queue emptied, id reused, journal kept", kEmptiedAndQueuedAgain, kKept},
        Case{"row rewritten, journal kept", kRewritten, kKept},
        Case{"queue emptied, id reused, no journal", kEmptiedAndQueuedAgain, ""},
        Case{"row rewritten, no journal", kRewritten, ""}}) {
    SCOPED_TRACE(c.name);
    SetUp();
    printers.jobs.clear();
    box.shown.clear();
    // The old row's BAR ticket comes out, its KITCHEN printer is missing: it fails half done and
    // is held for 300 ticks.
    sql("UPDATE printers SET port=7 WHERE id=4");
    auto service = start_service("kassa-pc", clerk(c.journal_grant));
    tick(*service, 10);
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_EQ(printers.lines(0).at(1), "0,175,8,Подзаказ №: 1");

    sql("UPDATE printers SET port=2 WHERE id=4");
    for (const std::string& statement : c.new_row)
      sql(statement);
    tick(*service, 5);
    ASSERT_EQ(printed_indexes(), (std::vector<int>{1, 1, 2}));
    for (std::size_t n : {1u, 2u})
      EXPECT_EQ(printers.lines(n).at(1), "0,175,8,Подзаказ №: 2");
    EXPECT_EQ(status(), "yes");
  }
}

// "Waiting" is what the server's collation makes of `status='no'`: a row written "No" or "no " is
// queued like "no", and what its job printed before a failure is not printed again.
TEST_F(DocumentJournalTest, RowWaitingInAnotherSpellingPrintsEachCopyOnce) {
  for (const char* spelling : {"no", "No", "NO", "no "}) {
    SCOPED_TRACE(std::string("'") + spelling + "'");
    SetUp();
    printers.jobs.clear();
    box.shown.clear();
    sql("UPDATE settings SET value='1' WHERE name='control_printer'");
    sql(std::string("UPDATE print SET type='predcheck', podzakaz=NULL, status='") + spelling +
        "' WHERE id=100");
    // The printer takes the first copy and refuses the second.
    printers.refuse_with = "The printer is out of paper";
    printers.refuse_from = 1;
    auto service = start_service("kassa-pc");
    tick(*service, 10);
    ASSERT_EQ(printers.jobs.size(), 1u);
    ASSERT_EQ(box.shown.size(), 1u);

    printers.refuse_with.reset();
    tick(*service, 305);
    ASSERT_EQ(printers.jobs.size(), 2u);
    EXPECT_EQ(status(), "yes");
    EXPECT_EQ(box.shown.size(), 1u);
  }
}

// The record that a document ended fails after the printer took it: the retry finds the document
// in the printer's records and does not print it again.
TEST_F(DocumentJournalTest, DocumentWhoseEndWasNotRecordedIsFoundOnItsPrinter) {
  sql("CREATE TRIGGER lost_end BEFORE UPDATE ON talvex_documents FOR EACH ROW "
      "IF NEW.state='ended' AND NEW.document='ticket on printer 2' THEN "
      "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='the end was not recorded'; END IF");
  auto service = start_service("kassa-pc");
  tick(*service, 10);
  ASSERT_EQ(printed_indexes(), std::vector<int>{1});
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(scalar("select state from talvex_documents where document='ticket on printer 2'"),
            "handed");

  sql("DROP TRIGGER lost_end");
  tick(*service, 305);
  EXPECT_EQ(printed_indexes(), (std::vector<int>{1, 2}));
  EXPECT_EQ(status(), "yes");
  EXPECT_GE(printers.find_calls, 1);
}

// At start the service drops lines closed a week ago or more; at its first read it closes the
// lines of rows that are gone, no longer wait, or now ask for something else. So it does with a
// journal an administrator made, under an account that may write the table but not create one.
TEST_F(DocumentJournalTest, HousekeepingDropsOldLinesAndClosesThoseOfRowsThatAreGone) {
  struct Case {
    const char* name;
    bool clerk;  // the clerk's account, which may not create the table, instead of root
  };
  for (const Case& c :
       {Case{"the service's own table", false}, Case{"a table made by an administrator", true}}) {
    SCOPED_TRACE(c.name);
    SetUp();
    printers.jobs.clear();
    box.shown.clear();
    sql("INSERT INTO print (id, zakaz, type, status) VALUES (7, 10, 'predcheck', 'yes')");
    sql("INSERT INTO talvex_documents (print_id, document, state, at) VALUES "
        "('1 predcheck 10 ', 'first copy', 'marked', NOW(3) - INTERVAL 8 DAY), "
        "('2 predcheck 10 ', 'first copy', 'marked', NOW(3) - INTERVAL 6 DAY), "
        "('3 predcheck 10 ', 'first copy', 'ended', NOW(3) - INTERVAL 1 HOUR), "
        "('7 predcheck 10 ', 'first copy', 'ended', NOW(3) - INTERVAL 1 HOUR), "
        "('100 podzakaz 10 2', 'ticket on printer 2', 'ended', NOW(3) - INTERVAL 1 HOUR)");
    const data::ConnectionParams account =
        c.clerk ? clerk("SELECT, INSERT, UPDATE, DELETE") : params();
    auto service = start_service("kassa-pc", account);
    EXPECT_EQ(scalar("select group_concat(print_id order by print_id) from talvex_documents"),
              "100 podzakaz 10 2,2 predcheck 10 ,3 predcheck 10 ,7 predcheck 10 ");

    tick(*service, 10);
    EXPECT_TRUE(box.shown.empty()) << box.shown.at(0).text;
    // Row 100 asks for sub-order 1: the ended line of sub-order 2 is not its, and both tickets
    // print. Every line is closed now, row 100's with its marking.
    EXPECT_EQ(printed_indexes(), (std::vector<int>{1, 2}));
    EXPECT_EQ(scalar("select group_concat(distinct state) from talvex_documents"), "marked");
    EXPECT_EQ(scalar("select count(*) from talvex_documents where print_id='" +
                     std::string(kRowKey) + "'"),
              "2");
  }
}

// A service of the version before the key kept a row's lines under its bare id. The row that
// waits with that id takes them over at the first read: what had come out does not print again,
// and the lines are kept under the row's key from then on. Lines under the id of a row that is
// printed are closed.
TEST_F(DocumentJournalTest, LinesKeptUnderTheBareIdGoToTheWaitingRow) {
  sql("INSERT INTO print (id, zakaz, type, status) VALUES (99, 10, 'predcheck', 'yes')");
  sql("INSERT INTO talvex_documents (print_id, document, state, computer, printer, identity, "
      "service, held_until, at) VALUES "
      "('100', 'ticket on printer 2', 'ended', 'kassa-pc', 'BAR-58', '5eed', 'old', NULL, NOW(3)), "
      "('100', 'job', 'held', '', '', '', 'old', NOW(3) - INTERVAL 1 SECOND, NOW(3)), "
      "('99', 'first copy', 'ended', 'kassa-pc', 'KASSA-80', 'f00d', 'old', NULL, NOW(3))");
  auto service = start_service("kassa-pc");
  tick(*service, 10);
  EXPECT_TRUE(box.shown.empty()) << box.shown.at(0).text;
  EXPECT_EQ(printed_indexes(), std::vector<int>{2});
  EXPECT_EQ(status(), "yes");
  EXPECT_EQ(rows("select print_id, document, state from talvex_documents order by document, "
                 "print_id"),
            (std::vector<std::vector<std::string>>{{"99", "first copy", "marked"},
                                                   {kRowKey, "job", "marked"},
                                                   {kRowKey, "ticket on printer 2", "marked"},
                                                   {kRowKey, "ticket on printer 4", "marked"}}));
}

// A bill's copy handed on another computer and not known to have ended is printed again under
// "ПОВТОР", the rest of it one line lower, as an order ticket is.
TEST_F(DocumentJournalTest, BillCopyHandedElsewhereComesOutUnderTheRepeatLine) {
  struct Case {
    const char* type;
    const char* document;  // the copy handed elsewhere
    std::size_t repeated;  // which of the two printed copies it is
    const char* number;    // the bill's number line
  };
  for (const Case& c : {Case{"predcheck", "first copy", 0, "Счет на оплату № 10"},
                        Case{"predcheck", "second copy", 1, "Счет на оплату № 10"},
                        Case{"zakaz_close", "first copy", 0, "Чек № 10"},
                        Case{"zakaz_close", "control copy", 1, "Чек № 10"}}) {
    SCOPED_TRACE(std::string(c.type) + ", " + c.document);
    SetUp();
    printers.jobs.clear();
    sql("UPDATE settings SET value='1' WHERE name='control_printer'");
    sql(std::string("UPDATE print SET type='") + c.type + "', podzakaz=NULL WHERE id=100");
    journal_line(c.document, "handed", "bar-pc", "KASSA-80", "5eed",
                 std::string("100 ") + c.type + " 10 ");
    auto service = start_service("kassa-pc");
    tick(*service, 10);
    ASSERT_TRUE(box.shown.empty()) << box.shown[0].text;
    ASSERT_EQ(printers.jobs.size(), 2u);
    EXPECT_EQ(status(), "yes");
    // The y of the number line in each copy.
    const auto number_y = [&](std::size_t n) {
      for (const std::string& line : printers.lines(n)) {
        if (line.size() > std::string(c.number).size() &&
            line.compare(line.size() - std::string(c.number).size(), std::string::npos, c.number) ==
                0)
          return std::stoi(line.substr(line.find(',') + 1));
      }
      return -1;
    };
    const std::size_t plain = 1 - c.repeated;
    EXPECT_EQ(printers.lines(c.repeated).at(0), "0,0,12,ПОВТОР");
    EXPECT_NE(printers.lines(plain).at(0), "0,0,12,ПОВТОР");
    EXPECT_EQ(number_y(c.repeated), number_y(plain) + 50);
  }
}

}  // namespace
}  // namespace talvex::testing
