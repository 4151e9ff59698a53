#include "platform/win32/spooler_print_system.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>

#include "platform/win32/gdi_page.h"
#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {
namespace {

[[noreturn]] void fail(const std::string& what) {
  throw PrinterError(what + ": " + system_error_text(GetLastError()));
}

// A printer device context for the object's life.
class PrinterDc {
 public:
  explicit PrinterDc(const std::string& printer)
      : dc_(CreateDCW(L"WINSPOOL", wide(printer).c_str(), nullptr, nullptr)) {
    if (dc_ == nullptr)
      fail("Cannot open the printer " + printer);
  }
  ~PrinterDc() { DeleteDC(dc_); }
  PrinterDc(const PrinterDc&) = delete;
  PrinterDc& operator=(const PrinterDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

}  // namespace

std::vector<std::string> SpoolerPrintSystem::installed_printers() {
  constexpr DWORD kFlags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  DWORD needed = 0;
  DWORD count = 0;
  EnumPrintersW(kFlags, nullptr, 4, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(std::max<DWORD>(needed, 1));
  names_.clear();
  if (!EnumPrintersW(kFlags, nullptr, 4, buffer.data(), needed, &needed, &count))
    return names_;
  const auto* printers = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    names_.push_back(utf8(printers[i].pPrinterName));
  return names_;
}

std::optional<int> SpoolerPrintSystem::default_printer() {
  wchar_t name[512];
  DWORD size = sizeof name / sizeof name[0];
  if (!GetDefaultPrinterW(name, &size))
    return std::nullopt;
  const auto found = std::find(names_.begin(), names_.end(), utf8(name));
  if (found == names_.end())
    return std::nullopt;
  return static_cast<int>(found - names_.begin());
}

bool SpoolerPrintSystem::can_open(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= names_.size())
    return false;
  HANDLE printer = nullptr;
  std::wstring name = wide(names_[static_cast<std::size_t>(index)]);
  if (!OpenPrinterW(name.data(), &printer, nullptr))
    return false;
  ClosePrinter(printer);
  return true;
}

std::string SpoolerPrintSystem::print(int index, const PrintedPage& page) {
  if (!can_open(index))
    throw PrinterError("Printer index out of range.");
  const PrinterDc dc(names_[static_cast<std::size_t>(index)]);
  const std::wstring title = wide(page.title);
  DOCINFOW document{};
  document.cbSize = sizeof document;
  document.lpszDocName = title.c_str();
  const int job = StartDocW(dc.get(), &document);
  if (job <= 0)
    fail("Cannot start the document " + page.title);
  try {
    if (StartPage(dc.get()) <= 0)
      fail("Cannot start the page");
    draw_page(dc.get(), page, GetDeviceCaps(dc.get(), LOGPIXELSX),
              GetDeviceCaps(dc.get(), LOGPIXELSY));
    if (EndPage(dc.get()) <= 0)
      fail("Cannot end the page");
  } catch (...) {
    AbortDoc(dc.get());
    throw;
  }
  if (EndDoc(dc.get()) <= 0)
    fail("Cannot spool the document " + page.title);
  return std::to_string(job);
}

}  // namespace talvex::platform::win32
