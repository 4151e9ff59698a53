// The Windows spooler as Wine offers it: the private CUPS scheduler's queues are its printers
// (CUPS_SERVER names the scheduler before Wine starts), and what the spooler sends arrives in the
// scheduler's capture folder.

#include "platform/win32/spooler_print_system.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/platform/wine_spooler.h"

namespace talvex::platform::win32 {
namespace {

namespace fs = std::filesystem;
using testing::build_machine_output;
using testing::captured;
using testing::read_file;

int index_of(const std::vector<std::string>& names, const std::string& name) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name)
      return static_cast<int>(i);
  }
  return -1;
}

TEST(Win32Spooler, ListsTheSchedulersQueuesInItsOrder) {
  SpoolerPrintSystem spooler;
  EXPECT_EQ(spooler.installed_printers(),
            (std::vector<std::string>{"bar-58", "Kassa-80", "kitchen-80", "Stop-80"}));
  EXPECT_TRUE(spooler.can_open(1));
  EXPECT_FALSE(spooler.can_open(4));
}

TEST(Win32Spooler, APageArrivesOnItsQueueUnderItsTitle) {
  SpoolerPrintSystem spooler;
  const int kassa = index_of(spooler.installed_printers(), "Kassa-80");
  ASSERT_GE(kassa, 0);
  const std::string title = "Счет " + std::to_string(GetCurrentProcessId());
  const PrintedPage page{title, {{0, 0, 12, "Заказ № 7"}, {0, 50, 8, "Итог: 4500 тг."}}};
  const std::string job = spooler.print(kassa, page);
  EXPECT_GT(std::stoi(job), 0);
  const std::vector<fs::path> documents = captured("Kassa-80", title);
  ASSERT_EQ(documents.size(), 1u);
  // Wine's spooler sends PostScript, which the scheduler's filters turn into the PDF that the
  // capture driver takes; its text reads back as it was drawn, line by line.
  EXPECT_EQ(read_file(documents[0]).rfind("%PDF-", 0), 0u);
  const std::string text =
      build_machine_output("pdftotext -layout '" + documents[0].generic_string() + "' -");
  EXPECT_NE(text.find("Заказ № 7\nИтог: 4500 тг."), std::string::npos) << text;
}

TEST(Win32Spooler, APrinterOutOfTheListIsAnError) {
  SpoolerPrintSystem spooler;
  spooler.installed_printers();
  EXPECT_THROW(spooler.print(7, PrintedPage{"Счет", {{0, 0, 8, "x"}}}), PrinterError);
}

}  // namespace
}  // namespace talvex::platform::win32
