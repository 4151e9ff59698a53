// Receipt printers without a driver: raw queues of the private CUPS scheduler whose device is a
// port this test listens on, as a network receipt printer's 9100.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/cups/cups_print_system.h"
#include "platform/escpos/escpos_raster.h"
#include "platform/printer.h"
#include "platform/qt/page_renderer.h"
#include "tests/platform/printout.h"
#include "tests/platform/private_cups.h"
#include "tests/support/raw_printer_port.h"
#include "tests/support/receipt_stream.h"

namespace talvex::platform {
namespace {

using testing::RawPrinterPort;
using testing::ReceiptStream;
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

// What a raw queue's printer receives: the initialisation, bands that read back to exactly the
// image the renderer draws for the page on the roll, and the feed and cut.
void expect_receipt_of(const std::string& bytes, const PrintedPage& page, int dots) {
  const ReceiptStream stream = testing::read_receipt(bytes);
  EXPECT_TRUE(stream.initialised);
  EXPECT_TRUE(stream.cut);
  ASSERT_FALSE(stream.band_rows.empty());
  for (std::size_t i = 0; i < stream.band_rows.size(); ++i) {
    EXPECT_LE(stream.band_rows[i], escpos::kBandRows);
    EXPECT_EQ(stream.band_strides[i], dots / 8);
  }
  const MonoImage drawn = qt::render_mono(page, 203, dots);
  ASSERT_EQ(stream.image.height, drawn.height);
  EXPECT_TRUE(stream.image.bits == drawn.bits) << "the bands differ from the rendered page";
}

TEST_F(ThermalPrintersTest, ARawQueueGetsTheRenderedPageAsEscposRaster) {
  RawPrinterPort device;
  const TemporaryQueue queue("thermal-80", raw_queue(device.port()));
  const PrintedPage page = ticket(token());
  print_on(queue.name(), page);

  const std::optional<std::string> bytes = device.receive(kDeliveryLimit);
  ASSERT_TRUE(bytes.has_value()) << "nothing reached the printer's port";
  expect_receipt_of(*bytes, page, 576);
}

TEST_F(ThermalPrintersTest, A58mmRollGivesBands48BytesWide) {
  RawPrinterPort device;
  const TemporaryQueue queue("thermal-58", raw_queue(device.port(), " -o talvex-roll-default=58"));
  const PrintedPage page = ticket(token());
  print_on(queue.name(), page);

  const std::optional<std::string> bytes = device.receive(kDeliveryLimit);
  ASSERT_TRUE(bytes.has_value()) << "nothing reached the printer's port";
  expect_receipt_of(*bytes, page, 384);
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
  const PrintedPage page = ticket(token());
  print_on(queue.name(), page);

  // The capture backend keeps the job as CUPS hands it to the device.
  namespace fs = std::filesystem;
  const fs::path folder = testing::capture_folder(name);
  const auto deadline = std::chrono::steady_clock::now() + kDeliveryLimit;
  std::optional<fs::path> document;
  while (!document && std::chrono::steady_clock::now() < deadline) {
    std::error_code missing;
    for (const fs::directory_entry& e : fs::directory_iterator(folder, missing)) {
      if (e.path().extension() == ".title" && e.path().filename().string().front() != '.')
        document = fs::path(e.path()).replace_extension(".data");
    }
    if (!document)
      usleep(100000);
  }
  ASSERT_TRUE(document.has_value()) << "no job arrived on " << name;
  std::ifstream in(*document, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  expect_receipt_of(bytes.str(), page, 576);
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

}  // namespace
}  // namespace talvex::platform
