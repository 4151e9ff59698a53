#include "tests/platform/wine_spooler.h"

#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/win32/wide_text.h"

namespace talvex::testing {
namespace {

namespace fs = std::filesystem;
using platform::win32::system_error_text;
using platform::win32::wide;

fs::path cups_folder() {
  const char* servers = std::getenv("TALVEX_TEST_SERVERS");
  if (servers == nullptr)
    throw std::runtime_error("TALVEX_TEST_SERVERS is not set: run the tests with ctest");
  return fs::path(servers) / "cups";
}

// The driver of the spooler's first printer, one of the harness's queues.
std::wstring a_drivers_name() {
  DWORD needed = 0;
  DWORD count = 0;
  EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(std::max<DWORD>(needed, 1));
  if (!EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count) ||
      count == 0)
    throw std::runtime_error("the spooler lists no printer");
  return reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data())->pDriverName;
}

// The printer opened with the rights to change it.
class AdministeredPrinter {
 public:
  explicit AdministeredPrinter(const std::string& name) {
    std::wstring wide_name = wide(name);
    PRINTER_DEFAULTSW rights{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterW(wide_name.data(), &handle_, &rights))
      throw std::runtime_error("cannot open " + name + ": " + system_error_text(GetLastError()));
  }
  ~AdministeredPrinter() { ClosePrinter(handle_); }
  AdministeredPrinter(const AdministeredPrinter&) = delete;
  AdministeredPrinter& operator=(const AdministeredPrinter&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<fs::path> captured(const std::string& queue, const std::string& title) {
  const fs::path folder = cups_folder() / "out" / queue;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  std::vector<fs::path> out;
  while (out.empty() && std::chrono::steady_clock::now() < deadline) {
    std::error_code missing;
    for (const fs::directory_entry& e : fs::directory_iterator(folder, missing)) {
      const std::string name = e.path().filename().string();
      if (e.path().extension() == ".title" && name.front() != '.' && read_file(e.path()) == title)
        out.push_back(fs::path(e.path()).replace_extension(".data"));
    }
    if (out.empty())
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return out;
}

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

void cups_admin(const std::string& command) {
  const std::string socket = (cups_folder() / "socket").generic_string();
  const std::string out =
      build_machine_output("CUPS_SERVER=$(cat '" + socket + "') PATH=$PATH:/usr/sbin:/sbin " +
                           command + " 2>&1; echo exit $?");
  if (out.size() < 7 || out.compare(out.size() - 7, 7, "exit 0\n") != 0)
    throw std::runtime_error(command + " failed: " + out);
}

WineQueue::WineQueue(std::string name, const std::string& driver) : name_(std::move(name)) {
  cups_admin("lpadmin -p '" + name_ + "' -E -v 'capture:/" + name_ + "' " + driver);
  std::wstring printer = wide(name_);
  std::wstring port = L"CUPS:" + printer;
  std::wstring driver_name = a_drivers_name();
  std::wstring processor = L"WinPrint";
  std::wstring datatype = L"RAW";
  PRINTER_INFO_2W info{};
  info.pPrinterName = printer.data();
  info.pPortName = port.data();
  info.pDriverName = driver_name.data();
  info.pPrintProcessor = processor.data();
  info.pDatatype = datatype.data();
  HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (added == nullptr && GetLastError() != ERROR_PRINTER_ALREADY_EXISTS)
    throw std::runtime_error("cannot add the printer " + name_ + ": " +
                             system_error_text(GetLastError()));
  if (added != nullptr)
    ClosePrinter(added);
}

WineQueue::~WineQueue() {
  try {
    {
      const AdministeredPrinter printer(name_);
      if (!DeletePrinter(printer.get()))
        ADD_FAILURE() << "cannot remove the printer " << name_ << ": "
                      << system_error_text(GetLastError());
    }
    cups_admin("lpadmin -x '" + name_ + "'");
  } catch (const std::exception& e) {
    ADD_FAILURE() << "cannot remove the queue " << name_ << ": " << e.what();
  }
}

void WineQueue::set_driver(const std::string& driver) const {
  const AdministeredPrinter printer(name_);
  DWORD needed = 0;
  GetPrinterW(printer.get(), 2, nullptr, 0, &needed);
  std::vector<BYTE> buffer(needed);
  if (!GetPrinterW(printer.get(), 2, buffer.data(), needed, &needed))
    throw std::runtime_error("cannot read " + name_ + ": " + system_error_text(GetLastError()));
  auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
  std::wstring driver_name = wide(driver);
  info->pDriverName = driver_name.data();
  if (!SetPrinterW(printer.get(), 2, buffer.data(), 0))
    throw std::runtime_error("cannot change " + name_ + ": " + system_error_text(GetLastError()));
}

void WineQueue::set_data(const std::string& name, const std::string& value) const {
  const AdministeredPrinter printer(name_);
  std::wstring value_name = wide(name);
  DWORD result = ERROR_SUCCESS;
  if (value.empty()) {
    // Wine does not implement DeletePrinterData; the values are kept where Windows keeps them.
    const std::wstring key = L"System\\CurrentControlSet\\Control\\Print\\Printers\\" +
                             wide(name_) + L"\\PrinterDriverData";
    result =
        static_cast<DWORD>(RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), value_name.c_str()));
    if (result == ERROR_FILE_NOT_FOUND)
      result = ERROR_SUCCESS;
  } else {
    std::wstring text = wide(value);
    result = SetPrinterDataW(printer.get(), value_name.data(), REG_SZ,
                             reinterpret_cast<BYTE*>(text.data()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  if (result != ERROR_SUCCESS)
    throw std::runtime_error("cannot set " + name + " of " + name_ + ": " +
                             system_error_text(result));
}

std::string capture_drivers() {
  return (cups_folder() / "ppd").generic_string();
}

}  // namespace talvex::testing
