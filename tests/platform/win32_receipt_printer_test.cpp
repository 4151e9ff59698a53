// Receipt printers without a driver on the Windows spooler as Wine offers it: queues of the private
// CUPS scheduler that the test adds, one raw (a receipt printer set up without a driver) whose
// printer gets the "Generic / Text Only" driver in Wine's registry, as installing that driver on
// Windows gives it, and one with a driver. Wine hands a RAW document to CUPS as it was written, and
// a raw queue passes it to its device untouched: the capture backend keeps the bytes the printer
// would receive.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/escpos/escpos_raster.h"
#include "platform/win32/gdi_page.h"
#include "platform/win32/spooler_print_system.h"
#include "tests/platform/wine_spooler.h"
#include "tests/support/receipt_stream.h"

namespace talvex::platform::win32 {
namespace {

using testing::captured;
using testing::read_file;
using testing::WineQueue;

// A kitchen ticket in Cyrillic under a title that tells this run's job from any other. The title
// is Latin: Wine 8 cuts a title with other letters short when it hands it to CUPS, and reads past
// its end, so the capture folder would not name the job by it.
PrintedPage ticket(const std::string& case_name) {
  return {"Ticket " + case_name + " " + std::to_string(GetCurrentProcessId()),
          {{40, 0, 16, "Кафе «Алтын»"},
           {0, 60, 12, "Заказ № 12"},
           {0, 110, 9, "Борщ украинский"},
           {300, 110, 9, "2 x 1500"},
           {0, 150, 9, "Шашлык из баранины"},
           {300, 150, 9, "1 x 2500"},
           {0, 200, 7, "Программа: TALVEX"}}};
}

// A printer's data value for one test, removed when the test ends, whatever it failed on.
class PrinterData {
 public:
  PrinterData(const WineQueue& queue, std::string name, const std::string& value)
      : queue_(queue), name_(std::move(name)) {
    queue_.set_data(name_, value);
  }
  ~PrinterData() {
    try {
      queue_.set_data(name_, "");
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
    }
  }
  PrinterData(const PrinterData&) = delete;
  PrinterData& operator=(const PrinterData&) = delete;

 private:
  const WineQueue& queue_;
  std::string name_;
};

class Win32ReceiptPrinters : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    raw_ = std::make_unique<WineQueue>("thermal-raw", "-m raw");
    raw_->set_driver("Generic / Text Only");
    with_driver_ = std::make_unique<WineQueue>(
        "thermal-driver", "-P '" + testing::capture_drivers() + "/capture-203.ppd'");
  }
  static void TearDownTestSuite() {
    raw_.reset();
    with_driver_.reset();
  }

  // Prints `page` on the printer named `printer`; returns the spooler's job id.
  std::string print_on(const std::string& printer, const PrintedPage& page) {
    const std::vector<std::string> names = spooler_.installed_printers();
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (names[i] == printer)
        return spooler_.print(static_cast<int>(i), page);
    }
    ADD_FAILURE() << printer << " is not listed";
    return {};
  }

  // The one document captured on `queue` under `title`.
  static std::string document_on(const std::string& queue, const std::string& title) {
    const std::vector<std::filesystem::path> documents = captured(queue, title);
    if (documents.size() != 1) {
      ADD_FAILURE() << documents.size() << " documents under " << title << " on " << queue;
      return {};
    }
    return read_file(documents[0]);
  }

  static std::unique_ptr<WineQueue> raw_;
  static std::unique_ptr<WineQueue> with_driver_;
  SpoolerPrintSystem spooler_;
};

std::unique_ptr<WineQueue> Win32ReceiptPrinters::raw_;
std::unique_ptr<WineQueue> Win32ReceiptPrinters::with_driver_;

// What a receipt printer receives for `page` on a roll `dots` wide: the GDI renderer's image.
void expect_receipt_of(const std::string& bytes, const PrintedPage& page, int dots) {
  testing::expect_receipt(bytes, page, dots, render_mono(page, 203, dots));
}

TEST_F(Win32ReceiptPrinters, GetEscposRasterOfTheirRoll) {
  struct Case {
    const char* name;
    bool text_only;      // the raw queue with the text-only driver, else the one with a driver
    const char* format;  // talvex-format, "" for none
    const char* roll;    // talvex-roll, "" for none
    int dots;
  };
  const Case cases[] = {
      {"text-only-80", true, "", "", 576},
      {"text-only-58", true, "", "58", 384},
      {"driver-escpos", false, "escpos", "", 576},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const WineQueue& queue = c.text_only ? *raw_ : *with_driver_;
    const PrinterData format(queue, "talvex-format", c.format);
    const PrinterData roll(queue, "talvex-roll", c.roll);
    const PrintedPage page = ticket(c.name);
    EXPECT_GT(std::stoi(print_on(queue.name(), page)), 0);
    expect_receipt_of(document_on(queue.name(), page.title), page, c.dots);
  }
}

TEST_F(Win32ReceiptPrinters, TheFormatDataGivesATextOnlyPrinterTheDriversPage) {
  const PrinterData format(*raw_, "talvex-format", "pdf");
  const PrintedPage page = ticket("text-only-pdf");
  print_on(raw_->name(), page);
  // Wine's driver draws PostScript, which the raw queue passes on as it is.
  const std::string document = document_on(raw_->name(), page.title);
  EXPECT_EQ(document.rfind("%!PS", 0), 0u) << document.substr(0, 16);
}

TEST_F(Win32ReceiptPrinters, AValueWeDoNotKnowFailsThePage) {
  struct Case {
    const char* name;
    const char* value;
    const char* message;
  };
  const Case cases[] = {
      {"talvex-format", "zpl", "Printer thermal-raw: talvex-format is 'zpl', not escpos or pdf"},
      {"talvex-roll", "76", "Printer thermal-raw: talvex-roll is '76', not 80 or 58"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PrinterData data(*raw_, c.name, c.value);
    try {
      print_on(raw_->name(), ticket(c.value));
      ADD_FAILURE() << "the page went to a printer whose " << c.name << " is unknown";
    } catch (const PrinterError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST_F(Win32ReceiptPrinters, ARefusedDocumentIsAnErrorWithTheSystemsText) {
  testing::cups_admin("cupsreject '" + raw_->name() + "'");
  const PrintedPage page = ticket("refused");
  try {
    print_on(raw_->name(), page);
    ADD_FAILURE() << "a document that the queue refused was taken for printed";
  } catch (const PrinterError& e) {
    const std::string prefix = "Cannot spool the document " + page.title + ": ";
    EXPECT_EQ(std::string(e.what()).rfind(prefix, 0), 0u) << e.what();
    EXPECT_GT(std::string(e.what()).size(), prefix.size()) << e.what();
  }
  testing::cups_admin("cupsaccept '" + raw_->name() + "'");
}

}  // namespace
}  // namespace talvex::platform::win32
