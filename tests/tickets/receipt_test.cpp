#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tickets/bill_fixture.h"

namespace talvex::testing {
namespace {

using tickets::print_receipt;

const std::string kHeaderDashes(72, '-');
const std::string kSectionDashes(70, '-');

class ReceiptTest : public BillTest {
 protected:
  void SetUp() override {
    BillTest::SetUp();
    sql("INSERT INTO type_pay (id, name) VALUES (1, 'Наличные'), (2, 'Карта')");
  }

  void run() { BillTest::run("zakaz_close", print_receipt); }
  std::string failure() { return failure_of("zakaz_close", print_receipt); }

  // Payments as (id, order, type, amount).
  void payments(const std::vector<std::tuple<int, int, int, std::string>>& rows) {
    for (const auto& [id, order, type, amount] : rows) {
      sql("INSERT INTO pay (id, zakaz, type_pay, cash_pay) VALUES (" + std::to_string(id) + ", " +
          std::to_string(order) + ", " + std::to_string(type) + ", " + amount + ")");
    }
  }

  // The payment lines of document n: the rows between the totals and the closing separators.
  std::vector<std::string> payment_rows(std::size_t n) const {
    const std::vector<std::string> all = rows(n);
    const auto itog = std::find_if(all.begin(), all.end(),
                                   [](const std::string& r) { return r.rfind("Итог: ", 0) == 0; });
    return {itog + 2, all.end() - 3};  // after "Итог" and its separator; before the last three
  }
};

TEST_F(ReceiptTest, WholeLayoutLineByLine) {
  lines({{1, 2, 400}, {3, 1, 200}});
  sql("INSERT INTO clients (id, name, discount) VALUES (7, 'Асель', 10)");
  sql("UPDATE zakaz SET client=7");
  payments({{10, 10, 1, "1000"}, {11, 10, 0, "-10"}});
  run();

  ASSERT_EQ(system.jobs.size(), 1u);
  EXPECT_EQ(system.jobs[0].index, 0);
  EXPECT_EQ(system.jobs[0].page.title, "Предчек не cвернутый");
  EXPECT_EQ(system.lines(0), (std::vector<std::string>{
                                 "60,0,16,ТОО «Зефира»",
                                 "120,50,10,Кафе «Кальво»",
                                 "0,125,12,Чек № 10",
                                 "0,175,8,Открытие: 07.04.2015 09:46:40",
                                 "0,200,8,Закрытие: 07.04.2015 11:26:40",
                                 "0,225,8,Официант: Айгерим",
                                 "0,250,8,Зал: Основной зал",
                                 "0,275,8,Стол: Стол 5",
                                 "0,300,8,Принтер KASSA",
                                 "0,325,8," + kHeaderDashes,
                                 "0,350,9,Шашлык",
                                 "240,350,9,2",
                                 "290,350,9,X",
                                 "320,350,9,400",
                                 "400,350,9,=",
                                 "430,350,9,800 тг.",
                                 "0,380,9,Лимонад",
                                 "240,380,9,1",
                                 "290,380,9,X",
                                 "320,380,9,200",
                                 "400,380,9,=",
                                 "430,380,9,200 тг.",
                                 "0,410,9," + kSectionDashes,
                                 "0,435,10,Сумма заказа: 1000 тг.",
                                 "0,465,10,Обслуживание 10% 100 тг.",
                                 "0,495,10,Скидка: 10% 110 тг.",
                                 "0,525,10,Итог: 990 тг.",
                                 "0,555,10," + kSectionDashes,
                                 "0,585,10,Наличные: 1000 тг.",
                                 "0,615,10,Сдача: 10 тг.",
                                 "0,675,10," + kSectionDashes,
                                 "0,705,7,Программа: TALVEX",
                                 "0,735,7,Тел: +7 (700) 555 01 01",
                             }));
  EXPECT_EQ(status(), "yes");
  EXPECT_EQ(queue_countdown, 2);
  EXPECT_TRUE(clock.pauses.empty());
}

TEST_F(ReceiptTest, PaymentsInIdOrderWithChangeAndTheirTypesNames) {
  struct Case {
    const char* name;
    std::vector<std::tuple<int, int, int, std::string>> payments;
    std::vector<std::string> printed;
  };
  const Case cases[] = {
      {"change after another order's payment",
       {{10, 10, 1, "5000"}, {11, 12, 1, "700"}, {12, 10, 1, "-300"}},
       {"Наличные: 5000 тг.", "Сдача: 300 тг."}},
      {"a zero amount prints nothing",
       {{10, 10, 2, "0"}, {11, 10, 1, "100"}},
       {"Наличные: 100 тг."}},
      {"a missing payment type leaves the name empty", {{10, 10, 9, "100"}}, {": 100 тг."}},
      {"two payment types",
       {{10, 10, 2, "600"}, {11, 10, 1, "400"}},
       {"Карта: 600 тг.", "Наличные: 400 тг."}},
  };
  for (const Case& c : cases) {
    SetUp();
    lines({{1, 1, 1000}});
    payments(c.payments);
    run();
    ASSERT_EQ(system.jobs.size(), 1u) << c.name;
    EXPECT_EQ(payment_rows(0), c.printed) << c.name;
  }
}

TEST_F(ReceiptTest, AmountsThatReadAsZeroPrintNothing) {
  change_schema("ALTER TABLE pay MODIFY cash_pay VARCHAR(10)",
                "ALTER TABLE pay MODIFY cash_pay INT");
  lines({{1, 1, 1000}});
  payments({{10, 10, 1, "'00'"}, {11, 10, 1, "'-0'"}, {12, 10, 2, "'+1000'"}});
  run();
  EXPECT_EQ(payment_rows(0), std::vector<std::string>{"Карта: 1000 тг."});
}

TEST_F(ReceiptTest, ControlCopyGoesToTheControlPrinterBeforeOneStatusUpdate) {
  lines({{1, 1, 1000}});
  payments({{10, 10, 1, "1000"}});
  settings.control_printer = "1";
  run();
  ASSERT_EQ(system.jobs.size(), 2u);
  EXPECT_EQ(system.jobs[0].index, 0);
  EXPECT_EQ(system.jobs[1].index, 3);
  EXPECT_EQ(system.jobs[1].page.title, "Предчек не cвернутый");
  EXPECT_EQ(rows(1)[8], "Принтер CONTROL");
  // Apart from the printer line, the copies are the same.
  std::vector<std::string> first = rows(0), second = rows(1);
  first.erase(first.begin() + 8);
  second.erase(second.begin() + 8);
  EXPECT_EQ(first, second);

  std::vector<std::string> updates;
  for (const std::string& s : sent) {
    if (s.rfind("UPDATE", 0) == 0)
      updates.push_back(s);
  }
  EXPECT_EQ(updates, std::vector<std::string>{"UPDATE `print` SET status='yes' WHERE id='100'"});
  EXPECT_EQ(sent.back(), updates.back());
  EXPECT_EQ(status(), "yes");
}

TEST_F(ReceiptTest, MissingControlRowDoesNotPrintTheFirstCopyAgain) {
  lines({{1, 1, 1000}});
  payments({{10, 10, 1, "1000"}});
  settings.control_printer = "1";
  sql("DELETE FROM printers WHERE name='CONTROL'");
  EXPECT_EQ(failure(), "'' is not a valid integer value");
  EXPECT_EQ(system.jobs.size(), 1u);
  EXPECT_EQ(status(), "no");
  EXPECT_EQ(failure(), "'' is not a valid integer value");
  EXPECT_EQ(system.jobs.size(), 1u);

  sql("INSERT INTO printers (id, name, port) VALUES (3, 'CONTROL', 3)");
  run();
  ASSERT_EQ(system.jobs.size(), 2u);
  EXPECT_EQ(system.jobs[1].index, 3);
  EXPECT_EQ(status(), "yes");
}

TEST_F(ReceiptTest, FailuresPrintNothingAndLeaveTheRowWaiting) {
  struct Case {
    const char* name;
    std::vector<std::string> payments;
    const char* message;
  };
  const Case cases[] = {
      {"no payments", {}, "'' is not a valid integer value"},
      {"only another order's payments", {"(10, 11, 1, 100)"}, "'' is not a valid integer value"},
      {"an empty amount", {"(10, 10, 1, NULL)"}, "'' is not a valid integer value"},
      {"change beyond 32 bits", {"(10, 10, 1, -2147483648)"}, "Integer overflow"},
  };
  for (const Case& c : cases) {
    SetUp();
    lines({{1, 1, 1000}});
    for (const std::string& p : c.payments)
      sql("INSERT INTO pay (id, zakaz, type_pay, cash_pay) VALUES " + p);
    EXPECT_EQ(failure(), c.message) << c.name;
    EXPECT_TRUE(system.jobs.empty()) << c.name;
    EXPECT_FALSE(printer.printing()) << c.name;
    EXPECT_EQ(status(), "no") << c.name;
  }
}

}  // namespace
}  // namespace talvex::testing
