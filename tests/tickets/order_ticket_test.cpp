#include "tickets/order_ticket.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/database.h"
#include "data/errors.h"
#include "platform/printer.h"
#include "tests/support/database_fixture.h"
#include "tests/support/fakes.h"
#include "tests/support/recording_print_system.h"

namespace talvex::tickets {
namespace {

const std::string kHeaderDashes(72, '-');
const std::string kSectionDashes(70, '-');

// A venue with four printer rows (1 KASSA, 2 BAR, 3 CONTROL, 4 KITCHEN on installed printers 0, 1,
// 3 and 2), one order (10) at table "Стол 5" in "Основной зал", and a queued "podzakaz" job (row
// 100) for its sub-order 1. Tests add the order lines.
class OrderTicketTest : public testing::DatabaseTest {
 protected:
  void SetUp() override {
    DatabaseTest::SetUp();
    sql("INSERT INTO printers (id, name, port) VALUES (1, 'KASSA', 0), (2, 'BAR', 1), "
        "(3, 'CONTROL', 3), (4, 'KITCHEN', 2)");
    sql("INSERT INTO cat_tables (id, name) VALUES (1, 'Основной зал')");
    sql("INSERT INTO tables (id, name, cat_tables, procent) VALUES (1, 'Стол 5', 1, 10)");
    sql("INSERT INTO zakaz (id, date_open, tables, waitres) VALUES (10, 1428400000, 1, 'Айгерим')");
    sql("INSERT INTO menu (id, name) VALUES (1, 'Пиво светлое'), (2, 'Шашлык'), (3, 'Лимонад'), "
        "(4, 'Салат «Цезарь» с курицей, пармезаном и гренками'), (5, 'Чай')");
    sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (100, 10, 1, 'podzakaz', "
        "'no')");
    db.connection.set_statement_observer([this](const std::string& s) { sent.push_back(s); });
  }

  // Lines of order 10: (sub-order, printer, menu, kolvo).
  void lines(const std::vector<std::tuple<int, int, int, int>>& rows) {
    for (const auto& [sub, printer_id, menu, kolvo] : rows) {
      sql("INSERT INTO podzakaz (zakaz, podzakaz, printer, menu, kolvo, price) VALUES (10, " +
          std::to_string(sub) + ", " + std::to_string(printer_id) + ", " + std::to_string(menu) +
          ", " + std::to_string(kolvo) + ", 500)");
    }
  }

  // Runs the job as the queue check hands it over: the queue head current in the queue slot, its id
  // in print_row_id.
  void run() {
    db.queue.reload("select * from print where status='no' ORDER BY id ASC");
    print_row_id = db.queue.text("id");
    JobContext job{db,
                   printer,
                   clock,
                   settings,
                   print_row_id,
                   progress,
                   [this](int t) { queue_countdown = t; }};
    print_order_tickets(job);
  }

  std::string run_failure() {
    try {
      run();
    } catch (const std::exception& e) {
      return e.what();
    }
    return "(no failure)";
  }

  // The item lines of ticket n as "name|quantity".
  std::vector<std::string> items(std::size_t n) const {
    std::vector<std::string> out;
    const auto& texts = system.jobs.at(n).page.texts;
    for (std::size_t i = 0; i + 1 < texts.size(); ++i) {
      if (texts[i].y >= 350 && texts[i + 1].x == 500)
        out.push_back(texts[i].text + "|" + texts[i + 1].text);
    }
    return out;
  }

  std::string status() { return scalar("select status from print where id=100"); }

  data::Database db{params()};
  testing::RecordingPrintSystem system;
  platform::Printer printer{system};
  testing::FakeClock clock;
  Settings settings{"ТОО «Зефира»", "Кафе «Кальво»", "0", "5", "0", "60", "120"};
  std::string print_row_id;
  JobProgress progress;
  int queue_countdown = 0;
  std::vector<std::string> sent;
};

TEST_F(OrderTicketTest, EachProductionPrinterGetsItsOwnItemsInPrinterOrder) {
  lines({{1, 4, 2, 1}, {1, 2, 3, 1}, {1, 4, 5, 1}, {1, 2, 1, 2}, {1, 4, 4, 3}});
  run();
  ASSERT_EQ(system.jobs.size(), 2u);
  EXPECT_EQ(system.jobs[0].index, 1);  // BAR, row 2
  EXPECT_EQ(system.jobs[1].index, 2);  // KITCHEN, row 4
  EXPECT_EQ(items(0), (std::vector<std::string>{"Пиво светлое|2", "Лимонад|1"}));

  EXPECT_EQ(system.jobs[1].page.title, "Заказ");
  EXPECT_EQ(system.lines(1), (std::vector<std::string>{
                                 "60,0,16,ТОО «Зефира»",
                                 "120,50,10,Кафе «Кальво»",
                                 "0,125,12,Заказ № 10",
                                 "0,175,8,Подзаказ №: 1",
                                 "0,200,8,Открытие: 07.04.2015 09:46:40",
                                 "0,225,8,Официант: Айгерим",
                                 "0,250,8,Зал: Основной зал",
                                 "0,275,8,Стол: Стол 5",
                                 "0,300,8,Принтер KITCHEN",
                                 "0,325,8," + kHeaderDashes,
                                 "0,350,9,Шашлык",
                                 "500,350,12,1",
                                 "0,390,9,Салат «Цезарь» с курицей, пармезаном и гренками",
                                 "500,390,12,3",
                                 "0,430,9,Чай",
                                 "500,430,12,1",
                                 "0,500,9," + kSectionDashes,
                                 "0,530,7,Программа: TALVEX",
                                 "0,560,7,Тел: +7 (700) 555 01 01",
                             }));
  EXPECT_EQ(status(), "yes");
  EXPECT_EQ(queue_countdown, 2);
  EXPECT_FALSE(printer.printing());
}

TEST_F(OrderTicketTest, ControlTicketListsEveryLineOnlyWhenTheSettingIsExactlyOne) {
  // Lines for BAR, KITCHEN, the KASSA and CONTROL rows, and a printer without a row.
  lines({{1, 2, 1, 1}, {1, 4, 2, 1}, {1, 1, 3, 1}, {1, 3, 5, 1}, {1, 9, 4, 1}});
  for (const char* value : {"0", "", "1 ", "01"}) {
    settings.control_printer = value;
    system.jobs.clear();
    sql("UPDATE print SET status='no'");
    progress = {};
    run();
    ASSERT_EQ(system.jobs.size(), 2u) << "'" << value << "'";
    EXPECT_EQ(items(0), std::vector<std::string>{"Пиво светлое|1"});
    EXPECT_EQ(items(1), std::vector<std::string>{"Шашлык|1"});
  }

  settings.control_printer = "1";
  system.jobs.clear();
  sql("UPDATE print SET status='no'");
  progress = {};
  run();
  ASSERT_EQ(system.jobs.size(), 3u);
  EXPECT_EQ(items(0), std::vector<std::string>{"Пиво светлое|1"});
  EXPECT_EQ(system.jobs[1].index, 3);  // the CONTROL row's printer, at that row's place
  EXPECT_EQ(system.lines(1)[8], "0,300,8,Принтер CONTROL");
  EXPECT_EQ(items(1), (std::vector<std::string>{"Пиво светлое|1", "Шашлык|1", "Лимонад|1",
                                                "Салат «Цезарь» с курицей, пармезаном и гренками|1",
                                                "Чай|1"}));
  EXPECT_EQ(items(2), std::vector<std::string>{"Шашлык|1"});
}

TEST_F(OrderTicketTest, QuantitiesAreSummedPerItemWithinTheSubOrder) {
  lines({{1, 2, 1, 2},
         {2, 2, 1, 7},
         {1, 2, 1, 3},  // 2 + 3 of item 1; the 7 is sub-order 2
         {1, 2, 2, 1},
         {1, 2, 2, -1},  // adds up to 0
         {1, 2, 3, 1},
         {1, 2, 3, -3},   // below 0
         {1, 2, 5, 2}});  // starts again from 0
  run();
  ASSERT_EQ(system.jobs.size(), 1u);
  EXPECT_EQ(items(0), (std::vector<std::string>{"Пиво светлое|5", "Чай|2"}));
}

TEST_F(OrderTicketTest, KeysMatchOnlyAsWholeTexts) {
  change_schema("ALTER TABLE podzakaz MODIFY menu VARCHAR(10)",
                "ALTER TABLE podzakaz MODIFY menu INT");
  sql("INSERT INTO podzakaz (zakaz, podzakaz, printer, menu, kolvo) VALUES "
      "(10, 1, 2, '05', 1), (10, 1, 2, '3', 4)");
  run();
  ASSERT_EQ(system.jobs.size(), 1u);
  EXPECT_EQ(items(0), std::vector<std::string>{"Лимонад|4"});
}

TEST_F(OrderTicketTest, SubOrderForPrintersWithoutARowPrintsNothingAndIsMarked) {
  lines({{1, 7, 1, 1}, {1, 8, 2, 1}});
  run();
  EXPECT_TRUE(system.jobs.empty());
  EXPECT_EQ(status(), "yes");
  EXPECT_EQ(queue_countdown, 2);
}

TEST_F(OrderTicketTest, RetryPrintsOnlyTheTicketsThatDidNotComeOut) {
  lines({{1, 2, 1, 1}, {1, 4, 2, 1}});
  change_schema("ALTER TABLE printers MODIFY port VARCHAR(10)",
                "ALTER TABLE printers MODIFY port INT");
  sql("UPDATE printers SET port='abc' WHERE id=4");
  EXPECT_EQ(run_failure(), "'abc' is not a valid integer value");
  ASSERT_EQ(system.jobs.size(), 1u);
  EXPECT_EQ(system.jobs[0].index, 1);
  EXPECT_EQ(status(), "no");
  EXPECT_EQ(queue_countdown, 300);
  EXPECT_FALSE(printer.printing());

  sql("UPDATE printers SET port='2' WHERE id=4");
  run();
  ASSERT_EQ(system.jobs.size(), 2u);
  EXPECT_EQ(system.jobs[1].index, 2);
  EXPECT_EQ(items(1), std::vector<std::string>{"Шашлык|1"});
  EXPECT_EQ(status(), "yes");
}

TEST_F(OrderTicketTest, FailuresStopTheJobWithNothingHalfPrinted) {
  struct Case {
    const char* name;
    std::vector<const char*> setup;
    const char* message;
    bool text_quantities = false;
  };
  const Case cases[] = {
      {"no printers", {"DELETE FROM printers"}, "'' is not a valid integer value"},
      {"empty menu", {"DELETE FROM menu"}, "'' is not a valid integer value"},
      {"index out of range",
       {"UPDATE printers SET port=9 WHERE id=2"},
       "Printer index out of range"},
      {"no opening time", {"UPDATE zakaz SET date_open=NULL"}, "'' is not a valid integer value"},
      {"quantity not a number",
       {"UPDATE podzakaz SET kolvo='2,5' WHERE menu=3"},
       "'2,5' is not a valid integer value",
       true},
      {"quantity beyond 32 bits",
       {"UPDATE podzakaz SET kolvo=2147483647 WHERE menu=1",
        "UPDATE podzakaz SET kolvo=1 WHERE menu=3"},
       "Integer overflow"},
  };
  for (const Case& c : cases) {
    SetUp();
    if (c.text_quantities) {
      change_schema("ALTER TABLE podzakaz MODIFY kolvo VARCHAR(10)",
                    "ALTER TABLE podzakaz MODIFY kolvo INT");
    }
    lines({{1, 2, 1, 1}, {1, 2, 3, 1}, {1, 2, 1, 1}});
    for (const char* s : c.setup)
      sql(s);
    EXPECT_EQ(run_failure(), c.message) << c.name;
    EXPECT_TRUE(system.jobs.empty()) << c.name;
    EXPECT_FALSE(printer.printing()) << c.name;
    EXPECT_EQ(status(), "no") << c.name;
    system.jobs.clear();
  }
}

}  // namespace
}  // namespace talvex::tickets
