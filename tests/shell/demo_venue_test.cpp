// The talvex program as a venue runs it: the real binary against the private MariaDB server, in a
// database of the test's own holding the demo venue, printing on directory printers.

#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/venue_test.h"

namespace talvex::testing {
namespace {

// An order ticket as the demo venue's data calls for it.
struct ExpectedTicket {
  int order;
  int sub_order;
  std::vector<std::string> items;  // in ascending menu id, "name xquantity"
};

// A bill as the demo venue's data calls for it: its document line and amount due.
struct ExpectedBill {
  const char* document_line;
  const char* total;
};

class DemoVenueTest : public VenueTest {};

TEST_F(DemoVenueTest, EveryWaitingJobComesOutOnItsPrintersAndItsRowIsMarked) {
  ASSERT_EQ(scalar("select group_concat(id order by id) from print where status='no'"),
            "3,4,5,6,7,8,9,10,11,12");
  start();
  ASSERT_TRUE(wait_for_empty_queue());
  const VenueAudit audit = this->audit();
  EXPECT_TRUE(audit.clean()) << audit.report();
  EXPECT_EQ(audit.documents, 26);

  // One ticket per production printer that has lines in the sub-order, in the order of the queue
  // rows (3, 4, 5, 6, 7, 10); the rows printed before (orders 1 and 2, sub-order 1) are not
  // printed again. The shashlik taken back off order 2 adds up to -1 and is left out.
  const std::map<std::string, std::vector<ExpectedTicket>> expected = {
      {"1-BAR",
       {{3, 1, {"Американо x2"}},
        {1, 2, {"Капучино x2", "Лимонад домашний x1"}},
        {2, 2, {"Пиво светлое разливное 0,5 л x2"}},
        {3, 2, {"Вода минеральная без газа x1"}},
        {4, 1, {"Чай зелёный с жасмином x1"}},
        {4, 2, {"Вино красное сухое, бокал 150 мл x2"}}}},
      {"2-KITCHEN",
       {{3, 1, {"Медовик x1"}},
        {1, 2, {"Чизкейк «Нью-Йорк» x2"}},
        {2, 2, {"Картофель фри x2"}},
        {3, 2, {"Мороженое пломбир с ягодным топпингом и мятой x1"}},
        {4,
         1,
         {"Бешбармак x1", "Плов по-узбекски x1",
          "Дорадо на гриле с картофелем по-деревенски и лимонно-сливочным соусом x1"}},
        {4, 2, {"Хлебная корзина x1"}}}},
      // control_printer is "1": a control ticket with every line of the sub-order.
      {"3-CONTROL",
       {{3, 1, {"Американо x2", "Медовик x1"}},
        {1, 2, {"Капучино x2", "Лимонад домашний x1", "Чизкейк «Нью-Йорк» x2"}},
        {2, 2, {"Пиво светлое разливное 0,5 л x2", "Картофель фри x2"}},
        {3,
         2,
         {"Вода минеральная без газа x1", "Мороженое пломбир с ягодным топпингом и мятой x1"}},
        {4,
         1,
         {"Чай зелёный с жасмином x1", "Бешбармак x1", "Плов по-узбекски x1",
          "Дорадо на гриле с картофелем по-деревенски и лимонно-сливочным соусом x1"}},
        {4, 2, {"Вино красное сухое, бокал 150 мл x2", "Хлебная корзина x1"}}}},
  };

  // The bills on the cash desk's printer, in queue order: the pre-check of order 1 (rows 8), the
  // receipts of orders 3 and 1 (9, 11), the pre-check of order 2 (12); control_printer "1" gives
  // every pre-check a second copy there and every receipt a control copy on CONTROL.
  const std::vector<ExpectedBill> kassa = {
      {"Счет на оплату № 1", "Итог: 24453 тг."},
      {"Счет на оплату № 1", "Итог: 24453 тг."},
      {"Чек № 3", "Итог: 5600 тг."},
      {"Чек № 1", "Итог: 24453 тг."},
      {"Счет на оплату № 2", "Итог: 22425 тг."},
      {"Счет на оплату № 2", "Итог: 22425 тг."},
  };
  const std::vector<ExpectedBill> control_bills = {{"Чек № 3", "Итог: 5600 тг."},
                                                   {"Чек № 1", "Итог: 24453 тг."}};

  std::map<std::string, std::vector<PrintedDocument>> tickets, bills;
  for (const PrintedDocument& d : documents()) {
    const std::string folder = d.record.parent_path().filename().string();
    EXPECT_EQ(d.printer, folder) << d.record;
    (d.title == "Заказ" ? tickets : bills)[folder].push_back(d);
    if (d.title != "Заказ") {
      EXPECT_EQ(d.title, "Предчек не cвернутый") << d.record;
    }
    // The PDF says what the record says.
    const std::string text = pdf_text(d.pdf());
    EXPECT_NE(text.find(d.order_line()), std::string::npos) << d.record << "\n" << text;
    const std::string total = d.text_starting("Итог: ");
    if (!total.empty()) {
      EXPECT_NE(text.find(total), std::string::npos) << d.record << "\n" << text;
    }
  }

  for (const PrinterFolder& p : kDemoPrinters) {
    SCOPED_TRACE(p.folder);
    const std::vector<PrintedDocument>& printed = tickets[p.folder];
    const std::vector<ExpectedTicket>& want =
        expected.count(p.folder) != 0 ? expected.at(p.folder) : std::vector<ExpectedTicket>{};
    ASSERT_EQ(printed.size(), want.size());
    for (std::size_t k = 0; k < want.size(); ++k) {
      SCOPED_TRACE(printed[k].record);
      EXPECT_EQ(printed[k].index, p.port);
      EXPECT_TRUE(printed[k].shows("Заказ № " + std::to_string(want[k].order)));
      EXPECT_TRUE(printed[k].shows("Подзаказ №: " + std::to_string(want[k].sub_order)));
      EXPECT_TRUE(printed[k].shows(std::string("Принтер ") + p.role));
      EXPECT_EQ(printed[k].ticket_items(), want[k].items);
    }
  }
  for (const auto& [folder, want] : std::map<std::string, std::vector<ExpectedBill>>{
           {"0-KASSA", kassa}, {"3-CONTROL", control_bills}}) {
    SCOPED_TRACE(folder);
    const std::vector<PrintedDocument>& printed = bills[folder];
    ASSERT_EQ(printed.size(), want.size());
    for (std::size_t k = 0; k < want.size(); ++k) {
      EXPECT_EQ(printed[k].order_line(), want[k].document_line) << printed[k].record;
      EXPECT_TRUE(printed[k].shows(want[k].total)) << printed[k].record;
    }
  }
  EXPECT_TRUE(bills["1-BAR"].empty());
  EXPECT_TRUE(bills["2-KITCHEN"].empty());

  // A termination request ends the program cleanly.
  EXPECT_TRUE(exited_with(program_->stop(), 0));
}

TEST_F(DemoVenueTest, TerminationRequestWhileIdleEndsWithExitCodeZero) {
  mark_printed_beforehand("status='no'");
  RunningProgram& program = start();
  // Idle once it has started: nothing waits. (A connection to the database says less: the one of
  // the test before may still be listed.)
  ASSERT_TRUE(wait_until_serving(program)) << program.output();
  EXPECT_TRUE(exited_with(program.stop(), 0)) << program.output();
  EXPECT_TRUE(documents().empty());
}

}  // namespace
}  // namespace talvex::testing
