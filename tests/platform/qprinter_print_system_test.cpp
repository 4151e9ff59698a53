#include "platform/qprinter/qprinter_print_system.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRectF>
#include <string>
#include <vector>

#include "platform/printer.h"
#include "tests/platform/printout.h"
#include "tests/platform/private_cups.h"

namespace talvex::platform {
namespace {

using testing::CapturedJob;

class QPrinterPrintersTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::use_private_cups(); }
  QPrinterPrintSystem system_;
};

TEST_F(QPrinterPrintersTest, ListsTheQueuesInCupsOrder) {
  EXPECT_EQ(system_.installed_printers(),
            (std::vector<std::string>{"bar-58", "Kassa-80", "kitchen-80", "Stop-80"}));
  EXPECT_EQ(system_.default_printer(), 2);
  EXPECT_TRUE(system_.can_open(1));
}

TEST_F(QPrinterPrintersTest, APageArrivesWithItsTitleAndTexts) {
  const std::string token = "Заказ-" + std::to_string(getpid());
  const std::vector<DrawnText> texts = {{0, 0, 12, token}, {100, 200, 9, "Борщ украинский"}};
  Printer printer(system_);
  printer.set_printer_index(1);
  printer.begin_doc("Тестовая печать...");
  for (const DrawnText& t : texts) {
    printer.set_font_size(t.points);
    printer.text_out(t.x, t.y, t.text);
  }
  printer.end_doc();

  const std::optional<CapturedJob> job = testing::wait_for_job("Kassa-80", token);
  ASSERT_TRUE(job.has_value()) << "no job arrived on Kassa-80";
  EXPECT_EQ(job->title, "Тестовая печать...");
  const testing::PdfDocument doc = testing::read_pdf(job->document);
  ASSERT_EQ(doc.pages.size(), 1u);
  // Where Qt's driver for the queue puts the printable area, and at what resolution.
  const QPrinter reference(QPrinterInfo::printerInfo("Kassa-80"), QPrinter::HighResolution);
  const QRectF area = reference.pageLayout().paintRect(QPageLayout::Point);
  testing::expect_texts_at(doc.pages[0], texts, reference.resolution(), area.left(), area.top());
}

}  // namespace
}  // namespace talvex::platform
