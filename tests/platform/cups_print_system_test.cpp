#include "platform/cups/cups_print_system.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/printer.h"
#include "tests/platform/printout.h"
#include "tests/platform/private_cups.h"

namespace talvex::platform {
namespace {

using testing::CapturedJob;

// The private scheduler's queues, in the order CUPS gives them (without regard to case).
const std::vector<std::string> kQueues = {"bar-58", "Kassa-80", "kitchen-80", "Stop-80"};

class CupsPrintersTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::use_private_cups(); }
  CupsPrintSystem system_;
};

TEST_F(CupsPrintersTest, ListsTheQueuesInCupsOrder) {
  EXPECT_EQ(system_.installed_printers(), kQueues);
  EXPECT_EQ(system_.default_printer(), 2);
  for (int i = 0; i < static_cast<int>(kQueues.size()); ++i)
    EXPECT_TRUE(system_.can_open(i)) << kQueues[static_cast<std::size_t>(i)];
}

struct QueueCase {
  const char* name;
  int index;
  int dpi;  // as the harness configures the queue
};

class CupsPageTest : public CupsPrintersTest, public ::testing::WithParamInterface<QueueCase> {};

TEST_P(CupsPageTest, APageArrivesOnItsQueueWithTitleAndTexts) {
  const QueueCase& c = GetParam();
  const std::string token = "Чек-" + std::to_string(getpid()) + "-" + std::to_string(c.index);
  const std::vector<DrawnText> texts = {{0, 0, 16, token},
                                        {0, 50, 10, "Зал: Летняя веранда"},
                                        {240, 175, 9, "2"},
                                        {320, 175, 9, "1500"},
                                        {0, 300, 7, "Тел: +7 (700) 555 01 01"}};
  Printer printer(system_);
  printer.set_printer_index(c.index);
  printer.begin_doc("Тестовая печать...");
  for (const DrawnText& t : texts) {
    printer.set_font_size(t.points);
    printer.text_out(t.x, t.y, t.text);
  }
  printer.end_doc();

  const std::optional<CapturedJob> job = testing::wait_for_job(kQueues.at(c.index), token);
  ASSERT_TRUE(job.has_value()) << "no job arrived on " << kQueues.at(c.index);
  EXPECT_EQ(job->title, "Тестовая печать...");
  const testing::PdfDocument doc = testing::read_pdf(job->document);
  ASSERT_EQ(doc.pages.size(), 1u);
  testing::expect_texts_at(doc.pages[0], texts, c.dpi, testing::roll_margin_pt());
}

INSTANTIATE_TEST_SUITE_P(Queues, CupsPageTest,
                         ::testing::Values(QueueCase{"QueueWithoutResolution", 0, 203},
                                           QueueCase{"QueueAt300Dpi", 1, 300}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

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
  testing::cups_admin("lpadmin -p Gone-80 -E -v capture:/Gone-80");
  const std::vector<std::string> names = system_.installed_printers();
  const auto at = std::find(names.begin(), names.end(), "Gone-80");
  ASSERT_NE(at, names.end());
  const int index = static_cast<int>(at - names.begin());
  testing::cups_admin("lpadmin -x Gone-80");

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
