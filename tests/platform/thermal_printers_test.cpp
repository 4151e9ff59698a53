// Receipt printers without a driver: raw queues of the private CUPS scheduler whose device is a
// port this test listens on, as a network receipt printer's 9100.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/cups/cups_print_system.h"
#include "platform/printer.h"
#include "tests/platform/printout.h"
#include "tests/platform/private_cups.h"
#include "tests/support/closed_port.h"
#include "tests/support/raw_printer_port.h"

namespace talvex::platform {
namespace {

using testing::RawPrinterPort;
using testing::TemporaryQueue;

constexpr std::chrono::minutes kDeliveryLimit{1};

// A kitchen ticket in Cyrillic, with a token that tells this run's job from any other.
PrintedPage ticket(const std::string& token) {
  return {"Заказ",
          {{40, 0, 16, "Кафе «Алтын»"},
           {0, 60, 12, "Заказ № 12 " + token},
           {0, 110, 9, "Борщ украинский"},
           {300, 110, 9, "2 x 1500"},
           {0, 150, 9, "Шашлык из баранины"},
           {300, 150, 9, "1 x 2500"},
           {0, 200, 7, "Программа: TALVEX"}}};
}

std::string token() {
  return "T" + std::to_string(getpid());
}

std::string raw_queue(unsigned port, const std::string& options = "") {
  return "-v socket://127.0.0.1:" + std::to_string(port) + " -m raw" + options;
}

class ThermalPrintersTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::use_private_cups(); }

  // Prints `page` on the queue named `queue` through the printer object, as the service does.
  void print_on(const std::string& queue, const PrintedPage& page) {
    Printer printer(system_);
    const std::vector<std::string>& names = printer.printers();
    const auto at = std::find(names.begin(), names.end(), queue);
    ASSERT_NE(at, names.end()) << queue << " is not listed";
    printer.set_printer_index(static_cast<int>(at - names.begin()));
    printer.begin_doc(page.title);
    for (const DrawnText& t : page.texts) {
      printer.set_font_size(t.points);
      printer.text_out(t.x, t.y, t.text);
    }
    printer.end_doc();
  }

  CupsPrintSystem system_;
};

TEST_F(ThermalPrintersTest, ARawQueueGetsTheRenderedPageAsEscposRaster) {
  RawPrinterPort device;
  const TemporaryQueue queue("thermal-80", raw_queue(device.port()));
  const PrintedPage page = ticket(token());
  print_on(queue.name(), page);

  const std::optional<std::string> bytes = device.receive(kDeliveryLimit);
  ASSERT_TRUE(bytes.has_value()) << "nothing reached the printer's port";
  testing::expect_receipt_of(*bytes, page, 576);
}

TEST_F(ThermalPrintersTest, A58mmRollGivesBands48BytesWide) {
  RawPrinterPort device;
  const TemporaryQueue queue("thermal-58", raw_queue(device.port(), " -o talvex-roll-default=58"));
  const PrintedPage page = ticket(token());
  print_on(queue.name(), page);

  const std::optional<std::string> bytes = device.receive(kDeliveryLimit);
  ASSERT_TRUE(bytes.has_value()) << "nothing reached the printer's port";
  testing::expect_receipt_of(*bytes, page, 384);
}

TEST_F(ThermalPrintersTest, TheQueueOptionPrintsAPdfOnARawQueue) {
  RawPrinterPort device;
  const TemporaryQueue queue("thermal-pdf",
                             raw_queue(device.port(), " -o talvex-format-default=pdf"));
  const PrintedPage page = ticket(token());
  print_on(queue.name(), page);

  const std::optional<std::string> bytes = device.receive(kDeliveryLimit);
  ASSERT_TRUE(bytes.has_value()) << "nothing reached the printer's port";
  ASSERT_EQ(bytes->rfind("%PDF-", 0), 0u) << "not a PDF";
  testing::TemporaryFolder folder;
  const std::string pdf = folder.path() + "/received.pdf";
  std::ofstream(pdf, std::ios::binary) << *bytes;
  const testing::PdfDocument doc = testing::read_pdf(pdf);
  ASSERT_EQ(doc.pages.size(), 1u);
  testing::expect_texts_at(doc.pages[0], page.texts, 203, testing::roll_margin_pt());
}

TEST_F(ThermalPrintersTest, TheQueueOptionPrintsEscposOnAQueueWithADriver) {
  const std::string name = "thermal-driver";
  const TemporaryQueue queue(name, "-v capture:/" + name + " -P " +
                                       testing::shell_quote(testing::capture_driver(203)) +
                                       " -o talvex-format-default=escpos");
  // The capture backend keeps each job as CUPS hands it to the device; jobs of an earlier run on
  // a queue of the same name may be there already.
  namespace fs = std::filesystem;
  const fs::path folder = testing::capture_folder(name);
  const auto jobs_there = [&] {
    std::set<fs::path> titles;
    std::error_code missing;
    for (const fs::directory_entry& e : fs::directory_iterator(folder, missing)) {
      if (e.path().extension() == ".title" && e.path().filename().string().front() != '.')
        titles.insert(e.path());
    }
    return titles;
  };
  const std::set<fs::path> before = jobs_there();
  const PrintedPage page = ticket(token());
  print_on(queue.name(), page);

  const auto deadline = std::chrono::steady_clock::now() + kDeliveryLimit;
  std::optional<fs::path> document;
  while (!document && std::chrono::steady_clock::now() < deadline) {
    for (const fs::path& title : jobs_there()) {
      if (before.count(title) == 0)
        document = fs::path(title).replace_extension(".data");
    }
    if (!document)
      usleep(100000);
  }
  ASSERT_TRUE(document.has_value()) << "no job arrived on " << name;
  std::ifstream in(*document, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  testing::expect_receipt_of(bytes.str(), page, 576);
  // Under the document's title, as every job.
  std::ifstream title_file(fs::path(*document).replace_extension(".title"));
  std::stringstream title;
  title << title_file.rdbuf();
  EXPECT_EQ(title.str(), "Заказ");
}

TEST_F(ThermalPrintersTest, AFormatOptionWeDoNotKnowFailsThePage) {
  RawPrinterPort device;
  const TemporaryQueue queue("thermal-zpl",
                             raw_queue(device.port(), " -o talvex-format-default=zpl"));
  try {
    print_on(queue.name(), ticket(token()));
    FAIL() << "the page went to a queue whose format is unknown";
  } catch (const PrinterError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Queue thermal-zpl: talvex-format is 'zpl', not escpos or pdf");
  }
}

TEST_F(ThermalPrintersTest, StatesGiveEachQueuesStateReasonsAndJobsOldestFirst) {
  testing::ClosedPort nowhere;
  const TemporaryQueue queue("thermal-held", raw_queue(nowhere.port()));
  testing::cups_admin("cupsdisable thermal-held");
  PrintedPage page = ticket(token());
  for (const char* title : {"Первый", "Второй"}) {
    page.title = title;
    print_on(queue.name(), page);
  }

  const std::vector<std::string> names = system_.installed_printers();
  const std::vector<PrinterState> states = system_.printer_states();
  ASSERT_EQ(states.size(), names.size());
  const std::size_t at =
      static_cast<std::size_t>(std::find(names.begin(), names.end(), queue.name()) - names.begin());
  ASSERT_LT(at, names.size());
  EXPECT_EQ(states[at].activity, PrinterActivity::Stopped);
  EXPECT_EQ(states[at].reasons, std::vector<std::string>{"paused"});
  ASSERT_EQ(states[at].jobs.size(), 2u);
  EXPECT_EQ(states[at].jobs[0].title, "Первый");
  EXPECT_EQ(states[at].jobs[1].title, "Второй");
  EXPECT_LT(states[at].jobs[0].id, states[at].jobs[1].id);
  // The harness's queues are known too; none of them is stopped.
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i != at) {
      EXPECT_NE(states[i].activity, PrinterActivity::Unknown) << names[i];
      EXPECT_NE(states[i].activity, PrinterActivity::Stopped) << names[i];
    }
  }
}

}  // namespace
}  // namespace talvex::platform
