#include <gtest/gtest.h>

#include "tests/app/service_fixture.h"

namespace talvex::testing {
namespace {

// The test pages as "y,size,text", every line at x = 0, printed at 07.04.2015 09:46:40.
const std::string kDashes(60, '-');
// The role buttons' page, on the BAR role's printer.
const std::vector<std::string> kRolePageOnBar = {
    "0,14,ZEPHYRA",
    "40,12,KALVO BAR",
    "100,8,Счет № 12344 ",
    "125,8,07 04 2015 09:46:40",
    "150,8,Принтер BAR",
    "175,8," + kDashes,
    "200,9,1тут отображается заказ ",
    "225,9,  1 X 1000 = 5000 тг.",
    "250,9,2тут отображается заказ ",
    "275,9,  2 X 1000 = 5000 тг.",
    "300,9,3тут отображается заказ ",
    "325,9,  3 X 1000 = 5000 тг.",
    "350,9,4тут отображается заказ ",
    "375,9,  4 X 1000 = 5000 тг.",
    "400,9,5тут отображается заказ ",
    "425,9,  5 X 1000 = 5000 тг.",
    "450,9," + kDashes,
    "475,10,Сумма заказа: 50000 тг.",
    "505,10,Скидка: 0%",
    "535,10,Итог: 50000 тг.",
    "565,10," + kDashes,
    "595,10,Оплата наличными: 50000 тг.",
    "625,10,Оплата картой: 0 тг.",
    "655,10,Сдача: 0 тг.",
    "685,10," + kDashes,
    "715,10," + kDashes,
    "745,12,Ждем Вас снова у нас!!!",
};
// The chosen-index button's page, on the KITCHEN role's port: the same lines in other sizes.
const std::vector<std::string> kChosenPageOnKitchen = {
    "0,16,ZEPHYRA",
    "40,10,KALVO BAR",
    "100,12,Счет № 12344 ",
    "125,12,07 04 2015 09:46:40",
    "150,12,Принтер KITCHEN",
    "175,12," + kDashes,
    "200,9,1тут отображается заказ ",
    "225,9,  1 X 1000 = 5000 тг.",
    "250,9,2тут отображается заказ ",
    "275,9,  2 X 1000 = 5000 тг.",
    "300,9,3тут отображается заказ ",
    "325,9,  3 X 1000 = 5000 тг.",
    "350,9,4тут отображается заказ ",
    "375,9,  4 X 1000 = 5000 тг.",
    "400,9,5тут отображается заказ ",
    "425,9,  5 X 1000 = 5000 тг.",
    "450,9," + kDashes,
    "475,10,Сумма заказа: 50000 тг.",
    "505,10,Скидка: 0%",
    "535,10,Итог: 50000 тг.",
    "565,10," + kDashes,
    "595,10,Оплата наличными: 50000 тг.",
    "625,10,Оплата картой: 0 тг.",
    "655,10,Сдача: 0 тг.",
    "685,10," + kDashes,
    "715,10," + kDashes,
    "745,12,Ждем Вас снова у нас!!!",
};

class TestPrintTest : public ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    sql("INSERT INTO printers (id, name, port) VALUES (1, 'KASSA', 0), (2, 'BAR', 1), "
        "(3, 'KITCHEN', 2), (4, 'CONTROL', -1)");
    clock.now_ms = 1428400000123;  // 07.04.2015 09:46:40.123
    start();
  }

  // The last printed page as "y,size,text"; every line must stand at x = 0.
  std::vector<std::string> last_page() const {
    std::vector<std::string> out;
    for (const auto& t : printers.jobs.back().page.texts) {
      EXPECT_EQ(t.x, 0) << t.text;
      out.push_back(std::to_string(t.y) + "," + std::to_string(t.points) + "," + t.text);
    }
    return out;
  }
};

TEST_F(TestPrintTest, RoleButtonsPrintOnTheirRolesPrinter) {
  service->test_print_on_role("BAR");
  ASSERT_TRUE(box.shown.empty()) << box.shown[0].text;
  ASSERT_EQ(printers.jobs.size(), 1u);
  EXPECT_EQ(printers.jobs[0].index, 1);
  EXPECT_EQ(printers.jobs[0].page.title, "Тестовая печать...");
  EXPECT_EQ(last_page(), kRolePageOnBar);

  service->test_print_on_role("KASSA");
  service->test_print_on_role("KITCHEN");
  service->test_print_on_role("CONTROL");  // port -1: the default printer, index 0 here
  ASSERT_EQ(printers.jobs.size(), 4u);
  EXPECT_EQ(printers.jobs[1].index, 0);
  EXPECT_EQ(printers.jobs[2].index, 2);
  EXPECT_EQ(printers.jobs[3].index, 0);
  EXPECT_EQ(last_page()[4], "150,8,Принтер CONTROL");
}

TEST_F(TestPrintTest, ChosenIndexPrintsWithItsOwnSizesAndNamesTheRoleOnThatPort) {
  panel.port = "2";
  service->test_print_on_chosen_port();
  ASSERT_EQ(printers.jobs.size(), 1u);
  EXPECT_EQ(printers.jobs[0].index, 2);
  EXPECT_EQ(last_page(), kChosenPageOnKitchen);

  panel.port = "3";  // no role uses port 3
  service->test_print_on_chosen_port();
  EXPECT_EQ(printers.jobs.back().index, 3);
  EXPECT_EQ(last_page()[4], "150,12,Принтер ");

  panel.port = "-1";
  service->test_print_on_chosen_port();
  EXPECT_EQ(printers.jobs.back().index, 0);
  EXPECT_EQ(last_page()[4], "150,12,Принтер CONTROL");

  // Other ways of writing an index name the row of the printer the page is printed on.
  for (const auto& [text, index, role] :
       {std::tuple{"$1", 1, "BAR"}, std::tuple{"0x2", 2, "KITCHEN"},
        std::tuple{" 0", 0, "KASSA"}}) {
    panel.port = text;
    service->test_print_on_chosen_port();
    EXPECT_EQ(printers.jobs.back().index, index) << text;
    EXPECT_EQ(last_page()[4], std::string("150,12,Принтер ") + role) << text;
  }
}

TEST_F(TestPrintTest, FailuresPrintNothing) {
  sql("DELETE FROM printers WHERE name='BAR'");
  sql("UPDATE printers SET port=4 WHERE name='KITCHEN'");
  service->test_print_on_role("BAR");
  service->test_print_on_role("KITCHEN");
  panel.port = "abc";
  service->test_print_on_chosen_port();
  std::vector<std::string> texts;
  for (const auto& s : box.shown)
    texts.push_back(s.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"'' is not a valid integer value.",
                                             "Printer index out of range.",
                                             "'abc' is not a valid integer value."}));
  EXPECT_TRUE(printers.jobs.empty());
  EXPECT_FALSE(printer.printing());
}

TEST_F(TestPrintTest, TestButtonDuringAPrintedDocumentFailsAndLeavesItAlone) {
  printer.begin_doc("Заказ");
  service->test_print_on_role("KASSA");
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].text, "Printing in progress.");
  EXPECT_TRUE(printer.printing());
  printer.end_doc();
  EXPECT_EQ(printers.jobs.size(), 1u);
  EXPECT_EQ(printers.jobs[0].page.title, "Заказ");
}

// A test page is printed under the same notice as a job, and one that fails ends it all the same.
TEST_F(TestPrintTest, TheSessionIsToldWhileATestPagePrints) {
  service->test_print_on_role("BAR");
  printers.refuse_with = "The printer is out of paper";
  service->test_print_on_role("KASSA");
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(notice.calls, (std::vector<std::string>{
                              "begin \"Идет печать документа\" after 0 printed",
                              "end after 1 printed",
                              "begin \"Идет печать документа\" after 1 printed",
                              "end after 1 printed",
                          }));
}

TEST_F(TestPrintTest, PortChooserAndPrinterList) {
  EXPECT_EQ(panel.ports, (std::vector<std::string>{"0", "1", "2", "3"}));
  EXPECT_EQ(panel.port_text(), "1");
  service->show_printer_list();
  service->show_printer_list();
  EXPECT_EQ(panel.printer_list,
            (std::vector<std::string>{"0 KASSA-80", "1 BAR-58", "2 KITCHEN-80", "3 CONTROL-80"}));
  EXPECT_EQ(printers.list_calls, 1);
}

class NoPrinterTest : public ServiceTest {
 protected:
  void SetUp() override {
    printers.printers.clear();
    printers.default_index.reset();
    ServiceTest::SetUp();
    sql("INSERT INTO printers (id, name, port) VALUES (1, 'KASSA', 0), (2, 'BAR', -1)");
    start();
  }
};

TEST_F(NoPrinterTest, ListsStayEmptyAndOnlyTheDefaultIndexHasItsOwnMessage) {
  service->show_printer_list();
  EXPECT_TRUE(panel.ports.empty());
  EXPECT_TRUE(panel.printer_list.empty());
  service->test_print_on_role("KASSA");
  service->test_print_on_role("BAR");
  ASSERT_EQ(box.shown.size(), 2u);
  EXPECT_EQ(box.shown[0].text, "Printer index out of range.");
  EXPECT_EQ(box.shown[1].text, "There is no default printer currently selected.");
}

}  // namespace
}  // namespace talvex::testing
