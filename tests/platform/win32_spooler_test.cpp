// The Windows spooler as Wine offers it: the private CUPS scheduler's queues are its printers
// (CUPS_SERVER names the scheduler before Wine starts), and what the spooler sends arrives in the
// scheduler's capture folder.

#include "platform/win32/spooler_print_system.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The files of the documents the scheduler captured on `queue` under `title`, as submitted,
// waiting up to a minute for the first.
std::vector<fs::path> captured(const std::string& queue, const std::string& title) {
  const char* servers = std::getenv("TALVEX_TEST_SERVERS");
  if (servers == nullptr)
    throw std::runtime_error("TALVEX_TEST_SERVERS is not set: run the tests with ctest");
  const fs::path folder = fs::path(servers) / "cups" / "out" / queue;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  std::vector<fs::path> out;
  while (out.empty() && std::chrono::steady_clock::now() < deadline) {
    for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
      const std::string name = e.path().filename().string();
      if (e.path().extension() == ".title" && name.front() != '.' && read_file(e.path()) == title)
        out.push_back(fs::path(e.path()).replace_extension(".data"));
    }
    if (out.empty())
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return out;
}

// What a command of the build machine prints on standard output. Wine starts Unix programs but
// does not wait for them, so the command writes into a file that it renames into place when it
// ends, in the test's Wine prefix (a folder of the build machine), and the test waits for that.
std::string build_machine_output(const std::string& command) {
  static int commands = 0;
  const char* prefix = std::getenv("WINEPREFIX");
  if (prefix == nullptr)
    throw std::runtime_error("WINEPREFIX is not set: run the tests with ctest");
  const std::string out = std::string(prefix) + "/output-" + std::to_string(GetCurrentProcessId()) +
                          "-" + std::to_string(++commands);
  std::wstring line =
      L"/bin/sh -c \"" +
      wide(command + " >'" + out + ".part' && mv '" + out + ".part' '" + out + "'") + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    throw std::runtime_error("cannot start /bin/sh: " + system_error_text(GetLastError()));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (!fs::exists(out) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const std::string text = read_file(out);
  fs::remove(out);
  return text;
}

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
