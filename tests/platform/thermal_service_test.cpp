// The service's documents on a receipt printer without a driver: a raw queue of the private CUPS
// whose device is a port this test listens on.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "app/print_service.h"
#include "platform/cups/cups_print_system.h"
#include "platform/printer.h"
#include "tests/platform/ocr_reader.h"
#include "tests/platform/printout.h"
#include "tests/platform/private_cups.h"
#include "tests/support/database_fixture.h"
#include "tests/support/fakes.h"
#include "tests/support/raw_printer_port.h"
#include "tests/support/receipt_stream.h"
#include "tests/support/temporary_folder.h"

namespace talvex::testing {
namespace {

// The CUPS printers, keeping each page they are handed: what the renderer draws from.
class KeepingPrintSystem final : public platform::PrintSystem {
 public:
  std::vector<std::string> installed_printers() override { return cups_.installed_printers(); }
  std::optional<int> default_printer() override { return cups_.default_printer(); }
  bool can_open(int index) override { return cups_.can_open(index); }
  std::string print(int index, const platform::PrintedPage& page) override {
    pages.push_back(page);
    return cups_.print(index, page);
  }
  std::vector<platform::PrinterState> printer_states() override { return cups_.printer_states(); }

  std::vector<platform::PrintedPage> pages;

 private:
  platform::CupsPrintSystem cups_;
};

class ThermalServiceTest : public DatabaseTest {
 protected:
  static void SetUpTestSuite() {
    DatabaseTest::SetUpTestSuite();
    use_private_cups();
  }

  // Reads the receipt in `bytes` with OCR and checks that each of `expected` is a line of it.
  // The comparison with our own renderer's image (expect_receipt_of) cannot see a fault of the
  // renderer itself; a reader of our own making could share it.
  static void expect_ocr_reads(const std::string& bytes, const std::vector<std::string>& expected) {
    const TemporaryFolder folder;
    const std::vector<std::string> lines = ocr_lines(read_receipt(bytes).image, folder.path());
    std::string all;
    for (const std::string& line : lines)
      all += "\n  " + line;
    for (const std::string& text : expected)
      EXPECT_TRUE(ocr_reads_line(lines, text)) << "'" << text << "' is not a line of:" << all;
  }

  FakePanel panel_;
  FakeMessageBox box_;
  FakeClock clock_;
  KeepingPrintSystem system_;
  platform::Printer printer_{system_};
};

TEST_F(ThermalServiceTest, AnOrderTicketAndTheTestPageComeOutAsTheRendererDrawsThem) {
  RawPrinterPort device;
  const TemporaryQueue queue("thermal-kitchen",
                             "-v socket://127.0.0.1:" + std::to_string(device.port()) + " -m raw");
  const std::vector<std::string> names = system_.installed_printers();
  const auto at = std::find(names.begin(), names.end(), queue.name());
  ASSERT_NE(at, names.end());

  sql("INSERT INTO settings (name, value) VALUES ('printer_timer', '5'), "
      "('oragnization', 'ТОО «Зефира»'), ('title', 'Кафе на набережной'), "
      "('name_check_left', '40'), ('title_check_left', '60'), ('control_printer', '0')");
  sql("INSERT INTO printers (id, name, port) VALUES (1, 'KASSA', 0), (4, 'KITCHEN', " +
      std::to_string(at - names.begin()) + ")");
  sql("INSERT INTO zakaz (id, date_open, tables, waitres) VALUES (10, 1428400000, 1, 'Айгерим')");
  sql("INSERT INTO menu (id, name) VALUES (1, 'Борщ украинский'), (2, 'Шашлык из баранины'), "
      "(3, 'Чай с чабрецом')");
  sql("INSERT INTO podzakaz (zakaz, podzakaz, printer, menu, kolvo) VALUES "
      "(10, 1, 4, 1, 2), (10, 1, 4, 2, 1), (10, 1, 4, 3, 3)");
  sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (100, 10, 1, 'podzakaz', "
      "'no')");
  app::PrintService service(params(), app::Services{panel_, printer_, box_, clock_, "Talvex"});
  service.open_database();
  service.start();
  for (int i = 0; i < 10; ++i) {
    service.data_check_tick();
    service.queue_check_tick();
  }
  ASSERT_TRUE(box_.shown.empty()) << box_.shown[0].text;
  ASSERT_EQ(system_.pages.size(), 1u);
  EXPECT_EQ(scalar("select status from print where id=100"), "yes");
  const std::optional<std::string> ticket = device.receive(std::chrono::minutes(1));
  ASSERT_TRUE(ticket.has_value()) << "the ticket did not reach the printer's port";
  expect_receipt_of(*ticket, system_.pages[0], 576);
  // The order line, and each item's name with its quantity on its line.
  expect_ocr_reads(*ticket,
                   {"Заказ № 10", "Борщ украинский 2", "Шашлык из баранины 1", "Чай с чабрецом 3"});

  service.test_print_on_role("KITCHEN");
  ASSERT_TRUE(box_.shown.empty()) << box_.shown[0].text;
  ASSERT_EQ(system_.pages.size(), 2u);
  const std::optional<std::string> test_page = device.receive(std::chrono::minutes(1));
  ASSERT_TRUE(test_page.has_value()) << "the test page did not reach the printer's port";
  expect_receipt_of(*test_page, system_.pages[1], 576);
  // Its order line, sample items with their quantities, and the totals. (The Russian reader does
  // not read the page's Latin lines, and it misreads the digit that begins the first and the
  // fourth sample name.)
  expect_ocr_reads(*test_page, {"Счет № 12344", "2тут отображается заказ", "2 X 1000 = 5000 тг.",
                                "3тут отображается заказ", "3 X 1000 = 5000 тг.",
                                "Сумма заказа: 50000 тг.", "Итог: 50000 тг."});
}

}  // namespace
}  // namespace talvex::testing
