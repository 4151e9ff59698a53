#include "platform/cups/cups_print_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/printer.h"
#include "tests/platform/private_cups.h"

namespace talvex::platform {
namespace {

// The listing and the pages on the queues are tested with the QPrinter system's in
// system_printers_test.cpp; here what only libcups does: report CUPS's own reasons.
class CupsPrintersTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::use_private_cups(); }
  CupsPrintSystem system_;
};

TEST_F(CupsPrintersTest, ARefusedJobFailsWithCupsText) {
  Printer printer(system_);
  printer.set_printer_index(3);
  printer.begin_doc("Тестовая печать...");
  printer.text_out(0, 0, "отказ");
  try {
    printer.end_doc();
    FAIL() << "the refused job was taken for printed";
  } catch (const PrinterError& e) {
    EXPECT_NE(std::string(e.what()).find("not accepting jobs"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(printer.printing());
}

TEST_F(CupsPrintersTest, AQueueRemovedAfterListingCannotBeOpened) {
  testing::TemporaryQueue gone("Gone-80", "-v capture:/Gone-80");
  const std::vector<std::string> names = system_.installed_printers();
  const auto at = std::find(names.begin(), names.end(), "Gone-80");
  ASSERT_NE(at, names.end());
  const int index = static_cast<int>(at - names.begin());
  gone.remove();

  EXPECT_FALSE(system_.can_open(index));
  try {
    system_.print(index, PrintedPage{"Тестовая печать...", {{0, 0, 8, "x"}}});
    FAIL() << "a page went to a queue that is gone";
  } catch (const PrinterError& e) {
    EXPECT_NE(std::string(e.what()).find("does not exist"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace talvex::platform
