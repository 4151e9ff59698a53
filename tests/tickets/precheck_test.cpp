#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tickets/bill_fixture.h"

namespace talvex::testing {
namespace {

using tickets::print_precheck;

const std::string kHeaderDashes(72, '-');
const std::string kSectionDashes(70, '-');

class PrecheckTest : public BillTest {
 protected:
  void run() { BillTest::run("predcheck", print_precheck); }
  std::string failure() { return failure_of("predcheck", print_precheck); }
  // Makes the second copy fail once its printer is read: the table's percentage reads empty.
  void fail_the_second_copy() {
    db.connection.set_statement_observer([this, copies_begun = 0](const std::string& s) mutable {
      if (s == "select * from printers where name='KASSA'" && ++copies_begun == 2)
        sql("UPDATE tables SET procent=NULL");
    });
  }
};

TEST_F(PrecheckTest, WorkedExampleLineByLine) {
  lines({{1, 2, 500}, {2, 1, 250}});
  sql("INSERT INTO clients (id, name, discount) VALUES (7, 'Асель', 10)");
  sql("UPDATE zakaz SET client=7");
  clock.now_ms = 1428404000999;  // 07.04.2015 10:53:20.999
  run();

  ASSERT_EQ(system.jobs.size(), 1u);
  EXPECT_EQ(system.jobs[0].index, 0);
  EXPECT_EQ(system.jobs[0].page.title, "Предчек не cвернутый");
  EXPECT_EQ(system.lines(0), (std::vector<std::string>{
                                 "60,0,16,ТОО «Зефира»",
                                 "120,50,10,Кафе «Кальво»",
                                 "0,125,12,Счет на оплату № 10",
                                 "0,175,8,Открытие: 07.04.2015 09:46:40",
                                 "0,200,8,Печать счета: 07.04.2015 10:53:20",
                                 "0,225,8,Официант: Айгерим",
                                 "0,250,8,Зал: Основной зал",
                                 "0,275,8,Стол: Стол 5",
                                 "0,300,8,Принтер KASSA",
                                 "0,325,8," + kHeaderDashes,
                                 "0,350,9,Шашлык",
                                 "240,350,9,2",
                                 "290,350,9,X",
                                 "320,350,9,500",
                                 "400,350,9,=",
                                 "430,350,9,1000 тг.",
                                 "0,380,9,Чай",
                                 "240,380,9,1",
                                 "290,380,9,X",
                                 "320,380,9,250",
                                 "400,380,9,=",
                                 "430,380,9,250 тг.",
                                 "0,410,9," + kSectionDashes,
                                 "0,435,10,Сумма заказа: 1250 тг.",
                                 "0,465,10,Обслуживание 10% 125 тг.",
                                 "0,495,10,Скидка: 10% 138 тг.",
                                 "0,525,10,Итог: 1237 тг.",
                                 "0,555,10," + kSectionDashes,
                                 "0,615,7,Программа: TALVEX",
                                 "0,645,7,Тел: +7 (700) 555 01 01",
                             }));
  EXPECT_EQ(status(), "yes");
  EXPECT_EQ(queue_countdown, 2);
  EXPECT_FALSE(printer.printing());
  // The first copy pauses after each printed item.
  EXPECT_EQ(clock.pauses, (std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(500),
                                                                  std::chrono::milliseconds(500)}));
}

TEST_F(PrecheckTest, DiscountIsZeroWithoutAClientOrItsDiscount) {
  struct Case {
    const char* name;
    const char* client;
  };
  const Case cases[] = {
      {"no client", "NULL"},
      {"client with an empty discount", "8"},
      {"client row missing", "9"},
  };
  for (const Case& c : cases) {
    SetUp();
    lines({{1, 1, 1000}});
    sql("INSERT INTO clients (id, name, discount) VALUES (8, 'Без скидки', NULL)");
    sql(std::string("UPDATE zakaz SET client=") + c.client);
    sql("UPDATE tables SET procent=0");
    run();
    EXPECT_EQ(row_starting(0, "Обслуживание"), "Обслуживание 0% 0 тг.") << c.name;
    EXPECT_EQ(row_starting(0, "Скидка"), "Скидка: 0% 0 тг.") << c.name;
    EXPECT_EQ(row_starting(0, "Итог"), "Итог: 1000 тг.") << c.name;
  }
}

TEST_F(PrecheckTest, ItemsFoldPerMenuItemInAscendingMenuId) {
  lines({
      {3, 1, 300},  // entered first, printed last
      {1, 1, 500},
      {2, 1, 100},
      {2, -1, 100},  // adds up to 0: no line
      {1, 1, 600},   // the later line's price counts
      {3, 2, 300},
  });
  sql("INSERT INTO menu (id, name) VALUES (4, 'Вода')");
  sql("INSERT INTO podzakaz (zakaz, menu, kolvo, price) VALUES (11, 4, 1, 50)");   // another order
  sql("INSERT INTO podzakaz (zakaz, menu, kolvo, price) VALUES (10, 99, 1, 50)");  // no such item
  lines({{2, -3, 100}, {4, 1, 70}});  // below 0, and the next item starts from 0
  run();
  EXPECT_EQ(item_rows(0), (std::vector<std::string>{
                              "Шашлык | 2 | X | 600 | = | 1200 тг.",
                              "Лимонад | 3 | X | 300 | = | 900 тг.",
                              "Вода | 1 | X | 70 | = | 70 тг.",
                          }));
  EXPECT_EQ(row_starting(0, "Сумма"), "Сумма заказа: 2170 тг.");
}

TEST_F(PrecheckTest, KeysMatchOnlyAsWholeTexts) {
  change_schema("ALTER TABLE podzakaz MODIFY menu VARCHAR(10)",
                "ALTER TABLE podzakaz MODIFY menu INT");
  sql("INSERT INTO podzakaz (zakaz, menu, kolvo, price) VALUES (10, '02', 1, 100), "
      "(10, '3', 1, 300)");
  run();
  EXPECT_EQ(item_rows(0), std::vector<std::string>{"Лимонад | 1 | X | 300 | = | 300 тг."});
}

TEST_F(PrecheckTest, NamesAreCutAtTheFifteenthAndFortyFifthCharacter) {
  const std::string fifteen = "Салат с курицей";                                    // 15 characters
  const std::string sixteen = "Салат с курицей!";                                   // 16
  const std::string fifty = "Стейк из говядины рибай с овощами гриль, соус 12345";  // 50
  const std::string spaces = "Пельмени ручные                ";  // 15 + 16 spaces
  sql("DELETE FROM menu");
  sql("INSERT INTO menu (id, name) VALUES (1, '" + fifteen + "'), (2, '" + sixteen + "'), (3, '" +
      fifty + "'), (4, '" + spaces + "')");
  lines({{1, 1, 10}, {2, 1, 10}, {3, 1, 10}, {4, 1, 10}});
  run();
  EXPECT_EQ(item_rows(0), (std::vector<std::string>{
                              "Салат с курицей | 1 | X | 10 | = | 10 тг.",
                              "Салат с курицей | 1 | X | 10 | = | 10 тг.",
                              "!",
                              "Стейк из говяди | 1 | X | 10 | = | 10 тг.",
                              "ны рибай с овощами гриль, соус",
                              "Пельмени ручные | 1 | X | 10 | = | 10 тг.",
                              std::string(16, ' '),
                          }));
  // The continuation lines, blank or not, take a line each: four items and three continuations.
  EXPECT_EQ(system.lines(0)[10 + 6 * 4 + 3], "0,560,9," + kSectionDashes);
}

TEST_F(PrecheckTest, NoItemLineLeavesTheTotalsAtTheFirstItemsPlace) {
  lines({{1, 1, 500}, {1, -1, 500}});
  run();
  const std::vector<std::string> page = system.lines(0);
  EXPECT_EQ(page[10], "0,350,9," + kSectionDashes);
  EXPECT_EQ(page[11], "0,375,10,Сумма заказа: 0 тг.");
  EXPECT_EQ(page.back(), "0,585,7,Тел: +7 (700) 555 01 01");
}

TEST_F(PrecheckTest, SecondCopyOnlyForControlPrinterExactlyOne) {
  for (const char* value : {"0", "", " 1", "1 ", "01"}) {
    SetUp();
    lines({{1, 1, 500}});
    settings.control_printer = value;
    run();
    EXPECT_EQ(system.jobs.size(), 1u) << "'" << value << "'";
  }

  SetUp();
  lines({{1, 1, 500}});
  settings.control_printer = "1";
  clock.now_ms = 1428400000800;  // 09:46:40.800; the first copy's pause takes it past 09:46:41
  run();
  ASSERT_EQ(system.jobs.size(), 2u);
  EXPECT_EQ(system.jobs[1].index, 0);  // the KASSA printer again
  EXPECT_EQ(system.jobs[1].page.title, "Предчек не cвернутый");
  // Each copy shows the moment it is drawn.
  std::vector<std::string> first = system.lines(0), second = system.lines(1);
  EXPECT_EQ(first[4], "0,200,8,Печать счета: 07.04.2015 09:46:40");
  EXPECT_EQ(second[4], "0,200,8,Печать счета: 07.04.2015 09:46:41");
  // The second copy has no pauses and no blank space before its footer; all else is the same.
  EXPECT_EQ(clock.pauses.size(), 1u);
  EXPECT_EQ(first.back(), "0,615,7,Тел: +7 (700) 555 01 01");
  EXPECT_EQ(second.back(), "0,585,7,Тел: +7 (700) 555 01 01");
  first.erase(first.begin() + 4);
  second.erase(second.begin() + 4);
  EXPECT_EQ(std::vector<std::string>(first.begin(), first.end() - 2),
            std::vector<std::string>(second.begin(), second.end() - 2));
  EXPECT_EQ(status(), "yes");
}

TEST_F(PrecheckTest, SecondCopyRereadsTheDataAndCarriesTheDiscount) {
  lines({{1, 1, 1000}});
  sql("INSERT INTO clients (id, name, discount) VALUES (7, 'Асель', 10)");
  sql("UPDATE zakaz SET client=7");
  settings.control_printer = "1";
  // Between the copies the client's discount is cleared and a line is added.
  int copies_begun = 0;
  db.connection.set_statement_observer([&](const std::string& s) {
    if (s == "select * from printers where name='KASSA'" && ++copies_begun == 2) {
      sql("UPDATE clients SET discount=NULL");
      lines({{2, 1, 100}});
    }
  });
  run();
  ASSERT_EQ(system.jobs.size(), 2u);
  EXPECT_EQ(row_starting(0, "Скидка"), "Скидка: 10% 110 тг.");
  EXPECT_EQ(row_starting(1, "Сумма"), "Сумма заказа: 1100 тг.");
  EXPECT_EQ(row_starting(1, "Скидка"), "Скидка: 10% 121 тг.");
}

TEST_F(PrecheckTest, FailuresPrintNothingAndLeaveTheRowWaiting) {
  struct Case {
    const char* name;
    std::vector<std::string> setup;
    const char* message;
    const char* title_check_left = "120";
  };
  const Case cases[] = {
      {"order without lines", {"DELETE FROM podzakaz"}, "'' is not a valid integer value"},
      {"empty menu", {"DELETE FROM menu"}, "'' is not a valid integer value"},
      {"no KASSA row",
       {"DELETE FROM printers WHERE name='KASSA'"},
       "'' is not a valid integer value"},
      {"order row missing", {"DELETE FROM zakaz"}, "'' is not a valid integer value"},
      {"table row missing", {"DELETE FROM tables"}, "'' is not a valid integer value"},
      {"header position not a number", {}, "'x' is not a valid integer value", "x"},
      {"quantity beyond 32 bits",
       {"INSERT INTO podzakaz (zakaz, menu, kolvo, price) VALUES (10, 1, 2147483647, 1)"},
       "Integer overflow"},
      {"line sum beyond 32 bits",
       {"INSERT INTO podzakaz (zakaz, menu, kolvo, price) VALUES (10, 2, 2, 1073741824)"},
       "Integer overflow"},
      {"total beyond 32 bits",
       {"INSERT INTO podzakaz (zakaz, menu, kolvo, price) VALUES (10, 2, 1, 2147483647)"},
       "Integer overflow"},
      {"service charge beyond 32 bits",
       {"INSERT INTO podzakaz (zakaz, menu, kolvo, price) VALUES (10, 2, 1, 2000000000)",
        "UPDATE tables SET procent=200"},
       "Integer overflow"},
      {"sum with service beyond 32 bits",
       {"INSERT INTO podzakaz (zakaz, menu, kolvo, price) VALUES (10, 2, 1, 2000000000)",
        "UPDATE tables SET procent=20"},
       "Integer overflow"},
  };
  for (const Case& c : cases) {
    SetUp();
    settings.title_check_left = c.title_check_left;
    lines({{1, 1, 500}});
    for (const std::string& s : c.setup)
      sql(s);
    EXPECT_EQ(failure(), c.message) << c.name;
    EXPECT_TRUE(system.jobs.empty()) << c.name;
    EXPECT_FALSE(printer.printing()) << c.name;
    EXPECT_EQ(status(), "no") << c.name;
    EXPECT_EQ(queue_countdown, 300) << c.name;
  }
}

TEST_F(PrecheckTest, OnlyCountingLinesAreConverted) {
  change_schema("ALTER TABLE podzakaz MODIFY kolvo VARCHAR(10), MODIFY price VARCHAR(10)",
                "ALTER TABLE podzakaz MODIFY kolvo INT, MODIFY price INT");
  lines({{1, 1, 500}});
  // A line of another order and a line of a removed item may hold anything.
  sql("INSERT INTO podzakaz (zakaz, menu, kolvo, price) VALUES (11, 1, 'два', '1,5'), "
      "(10, 99, '', 'x')");
  run();
  EXPECT_EQ(item_rows(0), std::vector<std::string>{"Шашлык | 1 | X | 500 | = | 500 тг."});

  struct Case {
    const char* kolvo;
    const char* price;
    const char* message;
  };
  for (const Case& c : {Case{"1,5", "500", "'1,5' is not a valid integer value"},
                        Case{"1", "", "'' is not a valid integer value"},
                        Case{"", "500", "'' is not a valid integer value"}}) {
    sql("UPDATE print SET status='no'");
    sql(std::string("UPDATE podzakaz SET kolvo='") + c.kolvo + "', price='" + c.price +
        "' WHERE zakaz=10 AND menu=1");
    progress = {};
    EXPECT_EQ(failure(), c.message) << c.kolvo << " " << c.price;
  }
}

TEST_F(PrecheckTest, RetryAfterAFailedStatusUpdatePrintsNothingAgain) {
  lines({{1, 1, 500}});
  settings.control_printer = "1";
  change_schema(
      "CREATE TRIGGER refuse_print BEFORE UPDATE ON print FOR EACH ROW "
      "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'Queue is read-only'",
      "DROP TRIGGER IF EXISTS refuse_print");
  EXPECT_EQ(failure(), "Queue is read-only");
  EXPECT_EQ(system.jobs.size(), 2u);
  EXPECT_EQ(status(), "no");
  EXPECT_EQ(queue_countdown, 2);

  sql("DROP TRIGGER refuse_print");
  run();
  EXPECT_EQ(system.jobs.size(), 2u);
  EXPECT_EQ(status(), "yes");
}

TEST_F(PrecheckTest, RetryAfterAFailedSecondCopyPrintsOnlyTheSecond) {
  lines({{1, 1, 500}});
  settings.control_printer = "1";
  fail_the_second_copy();
  EXPECT_EQ(failure(), "'' is not a valid integer value");
  ASSERT_EQ(system.jobs.size(), 1u);
  EXPECT_FALSE(printer.printing());

  sql("UPDATE tables SET procent=10");
  run();
  EXPECT_EQ(system.jobs.size(), 2u);
  EXPECT_EQ(status(), "yes");
}

// The second copy, printed alone by the retry, starts from the discount the first copy ended with:
// a client whose discount reads empty leaves it as it was, as it does between two copies of one
// run (above).
TEST_F(PrecheckTest, RetriedSecondCopyCarriesTheFirstCopysDiscount) {
  lines({{1, 1, 1000}});
  sql("INSERT INTO clients (id, name, discount) VALUES (7, 'Асель', 10)");
  sql("UPDATE zakaz SET client=7");
  settings.control_printer = "1";
  fail_the_second_copy();
  EXPECT_EQ(failure(), "'' is not a valid integer value");
  ASSERT_EQ(system.jobs.size(), 1u);
  EXPECT_EQ(row_starting(0, "Скидка"), "Скидка: 10% 110 тг.");

  db.connection.set_statement_observer({});
  sql("UPDATE tables SET procent=10");
  sql("UPDATE clients SET discount=NULL");
  run();
  ASSERT_EQ(system.jobs.size(), 2u);
  EXPECT_EQ(row_starting(1, "Скидка"), "Скидка: 10% 110 тг.");
  EXPECT_EQ(status(), "yes");
}

}  // namespace
}  // namespace talvex::testing
