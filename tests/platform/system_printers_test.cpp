// What the two system print systems share, on the queues of the private CUPS scheduler: libcups
// directly (Linux) and QPrinter (the Windows spooler's renderer, on Linux through Qt's CUPS
// support). Each system's own behaviour is tested beside it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRectF>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "platform/cups/cups_print_system.h"
#include "platform/printer.h"
#include "platform/qprinter/qprinter_print_system.h"
#include "tests/platform/printout.h"
#include "tests/platform/private_cups.h"

namespace talvex::platform {
namespace {

using testing::CapturedJob;

// The private scheduler's queues, in the order CUPS gives them (without regard to case);
// kitchen-80 is the default.
const std::vector<std::string> kQueues = {"bar-58", "Kassa-80", "kitchen-80", "Stop-80"};

// Where a system puts a page on a queue: the resolution and the top-left corner of the printable
// area, in points from the page's corner.
struct Placement {
  int dpi;
  double left_pt;
  double top_pt;
};

// libcups: Qt renders the roll at the queue's resolution (203 dpi where the queue names none, as
// bar-58; the harness gives Kassa-80 300 dpi), the 576 dots centred on the 80 mm roll.
struct Cups {
  using System = CupsPrintSystem;
  static constexpr const char* kName = "cups";
  static Placement placement(const std::string& queue) {
    return {queue == "Kassa-80" ? 300 : 203, testing::roll_margin_pt(), 0};
  }
};

// QPrinter: wherever Qt's driver for the queue puts the printable area, at its resolution.
struct QPrinterSystem {
  using System = QPrinterPrintSystem;
  static constexpr const char* kName = "qprinter";
  static Placement placement(const std::string& queue) {
    const QPrinter reference(QPrinterInfo::printerInfo(QString::fromStdString(queue)),
                             QPrinter::HighResolution);
    const QRectF area = reference.pageLayout().paintRect(QPageLayout::Point);
    return {reference.resolution(), area.left(), area.top()};
  }
};

template <typename T>
class SystemPrintersTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::use_private_cups(); }
  typename T::System system_;
};

using Systems = ::testing::Types<Cups, QPrinterSystem>;
class SystemName {
 public:
  template <typename T>
  static std::string GetName(int) {
    return T::kName;
  }
};
TYPED_TEST_SUITE(SystemPrintersTest, Systems, SystemName);

TYPED_TEST(SystemPrintersTest, ListsTheQueuesInCupsOrderWithTheDefault) {
  EXPECT_EQ(this->system_.installed_printers(), kQueues);
  EXPECT_EQ(this->system_.default_printer(), 2);
  for (int i = 0; i < static_cast<int>(kQueues.size()); ++i)
    EXPECT_TRUE(this->system_.can_open(i)) << kQueues[static_cast<std::size_t>(i)];
}

TYPED_TEST(SystemPrintersTest, APageArrivesOnItsQueueWithTitleAndTexts) {
  // A queue that names no resolution and one that does.
  for (const int index : {0, 1}) {
    const std::string& queue = kQueues.at(static_cast<std::size_t>(index));
    SCOPED_TRACE(queue);
    // The token tells this test's job from any other on the queue.
    const std::string token = "Чек-" + std::string(TypeParam::kName) + "-" +
                              std::to_string(getpid()) + "-" + std::to_string(index);
    // Far enough apart that the words stay apart on a page drawn at 1200 dpi.
    const std::vector<DrawnText> texts = {{0, 0, 16, token},
                                          {0, 50, 10, "Зал: Летняя веранда"},
                                          {100, 100, 9, "Борщ украинский"},
                                          {240, 175, 9, "2"},
                                          {430, 175, 9, "1500"},
                                          {0, 300, 7, "Тел: +7 (700) 555 01 01"}};
    Printer printer(this->system_);
    printer.set_printer_index(index);
    printer.begin_doc("Тестовая печать...");
    for (const DrawnText& t : texts) {
      printer.set_font_size(t.points);
      printer.text_out(t.x, t.y, t.text);
    }
    printer.end_doc();

    const std::optional<CapturedJob> job = testing::wait_for_job(queue, token);
    ASSERT_TRUE(job.has_value()) << "no job arrived on " << queue;
    EXPECT_EQ(job->title, "Тестовая печать...");
    const testing::PdfDocument doc = testing::read_pdf(job->document);
    ASSERT_EQ(doc.pages.size(), 1u);
    const Placement at = TypeParam::placement(queue);
    testing::expect_texts_at(doc.pages[0], texts, at.dpi, at.left_pt, at.top_pt);
  }
}

}  // namespace
}  // namespace talvex::platform
