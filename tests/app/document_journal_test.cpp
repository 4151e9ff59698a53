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

// Sub-order 1 of order 10 has a BAR line (printer row 2, installed printer 1) and a KITCHEN line
// (printer row 4, installed printer 2). Each service is a separate PrintService on the suite's
// database, as a second process or a second computer would be; the journal is all they share.
class DocumentJournalTest : public DatabaseTest {
 protected:
  void SetUp() override {
    DatabaseTest::SetUp();
    sql("INSERT INTO settings (name, value) VALUES ('printer_timer', '5'), "
        "('name_check_left', '0'), ('title_check_left', '0'), ('control_printer', '0')");
    sql("INSERT INTO printers (id, name, port) VALUES (1, 'KASSA', 0), (2, 'BAR', 1), "
        "(4, 'KITCHEN', 2)");
    sql("INSERT INTO zakaz (id, date_open, tables, waitres) VALUES (10, 1428400000, 1, 'Максим')");
    sql("INSERT INTO menu (id, name) VALUES (1, 'Пиво'), (2, 'Шашлык')");
    sql("INSERT INTO podzakaz (zakaz, podzakaz, printer, menu, kolvo) VALUES "
        "(10, 1, 2, 1, 2), (10, 1, 4, 2, 1)");
    sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (100, 10, 1, 'podzakaz', "
        "'no')");
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

  // A document of row 100 as the journal would hold it after its sender stopped half way.
  static void journal_line(const std::string& document, const std::string& state,
                           const std::string& computer, const std::string& printer_name,
                           const std::string& identity) {
    sql("INSERT INTO talvex_documents (print_id, document, state, computer, printer, identity, "
        "service, at) VALUES (100, '" +
        document + "', '" + state + "', '" + computer + "', '" + printer_name + "', '" + identity +
        "', 'stopped service', NOW(3))");
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
  const std::string user = "clerk_" + params().database;
  for (const Case& c : {Case{"no privilege on the journal", ""},
                        Case{"the journal may be read, not written", "SELECT"}}) {
    SCOPED_TRACE(c.name);
    SetUp();
    printers.jobs.clear();
    box.shown.clear();
    sql("DROP USER IF EXISTS '" + user + "'@'%'");
    sql("CREATE USER '" + user + "'@'%'");
    for (const char* table : {"printers", "settings", "print", "zakaz", "podzakaz", "menu",
                              "tables", "cat_tables", "clients", "pay", "type_pay"}) {
      sql("GRANT SELECT, UPDATE ON `" + params().database + "`.`" + table + "` TO '" + user +
          "'@'%'");
    }
    if (*c.journal_grant != '\0') {
      sql(std::string("GRANT ") + c.journal_grant + " ON `" + params().database +
          "`.`talvex_documents` TO '" + user + "'@'%'");
    }
    data::ConnectionParams clerk = params();
    clerk.user = user;
    clerk.password.clear();

    auto service = start_service("kassa-pc", clerk);
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
    service.reset();
    sql("DROP USER '" + user + "'@'%'");
  }
}

}  // namespace
}  // namespace talvex::testing
