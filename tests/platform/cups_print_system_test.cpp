#include "platform/cups/cups_print_system.h"

#include <gtest/gtest.h>

#include <cups/cups.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
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

// The position of `queue` in the system's list of printers.
int index_of(CupsPrintSystem& system, const std::string& queue) {
  const std::vector<std::string> names = system.installed_printers();
  const auto at = std::find(names.begin(), names.end(), queue);
  return at == names.end() ? -1 : static_cast<int>(at - names.begin());
}

TEST_F(CupsPrintersTest, ASentDocumentIsFoundByItsIdentityUntilItsJobIsCancelled) {
  // A stopped queue keeps its jobs waiting.
  testing::TemporaryQueue waiting("Waiting-80", "-v capture:/Waiting-80");
  testing::cups_admin("cupsdisable Waiting-80");
  const int index = index_of(system_, "Waiting-80");
  ASSERT_GE(index, 0);
  const std::string job =
      system_.print(index, PrintedPage{"Заказ", {{0, 0, 8, "x"}}, "5eed-waiting"});
  ASSERT_FALSE(job.empty());

  EXPECT_EQ(system_.find_document(index, "5eed-waiting"), DocumentPresence::Found);
  EXPECT_EQ(system_.find_document(index, "5eed-other"), DocumentPresence::NotFound);
  EXPECT_EQ(system_.find_document(0, "5eed-waiting"), DocumentPresence::NotFound);

  testing::cups_admin("cancel Waiting-80-" + job);
  EXPECT_EQ(system_.find_document(index, "5eed-waiting"), DocumentPresence::NotFound);
}

TEST_F(CupsPrintersTest, APrintedDocumentIsFoundInTheJobHistory) {
  const std::string job =
      system_.print(0, PrintedPage{"Заказ", {{0, 0, 8, "history-5eed"}}, "5eed-history"});
  ASSERT_TRUE(testing::wait_for_job("bar-58", "history-5eed"));
  // The capture backend has the document; CUPS marks the job completed once the backend ends.
  bool completed = false;
  for (int wait = 0; wait < 600 && !completed; ++wait) {
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, "bar-58", 0, CUPS_WHICHJOBS_COMPLETED);
    for (int k = 0; k < count; ++k)
      completed = completed || std::to_string(jobs[k].id) == job;
    cupsFreeJobs(count, jobs);
    if (!completed)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(completed) << "job " << job;
  EXPECT_EQ(system_.find_document(0, "5eed-history"), DocumentPresence::Found);
}

}  // namespace
}  // namespace talvex::platform
