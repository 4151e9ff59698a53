#include "platform/win32/spooler_print_system.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <string_view>

#include "platform/escpos/escpos_raster.h"
#include "platform/escpos/receipt_options.h"
#include "platform/win32/gdi_page.h"
#include "platform/win32/opened_printer.h"
#include "platform/win32/raw_spool.h"
#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {
namespace {

// The driver Windows gives a printer that takes text and raw data as they come.
constexpr std::wstring_view kTextOnlyDriver = L"Generic / Text Only";
// Raw receipts are drawn in the printer's own dots.
constexpr int kReceiptDpi = 203;

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

std::wstring driver_name(const OpenedPrinter& printer, const std::string& name) {
  DWORD needed = 0;
  GetPrinterW(printer.get(), 2, nullptr, 0, &needed);
  std::vector<BYTE> buffer(std::max<DWORD>(needed, sizeof(PRINTER_INFO_2W)));
  if (!GetPrinterW(printer.get(), 2, buffer.data(), static_cast<DWORD>(buffer.size()), &needed))
    fail("Cannot read the driver of the printer " + name);
  const wchar_t* driver = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data())->pDriverName;
  return driver != nullptr ? driver : L"";
}

// A text value of the printer's data, or nothing where the printer has none of that name.
std::optional<std::string> printer_data(const OpenedPrinter& printer, const std::string& name,
                                        const char* value_name) {
  std::wstring value = wide(value_name);
  DWORD type = 0;
  DWORD needed = 0;
  std::vector<BYTE> buffer(64);
  DWORD result = ERROR_MORE_DATA;
  while (result == ERROR_MORE_DATA) {
    result = GetPrinterDataW(printer.get(), value.data(), &type, buffer.data(),
                             static_cast<DWORD>(buffer.size()), &needed);
    if (result == ERROR_MORE_DATA)
      buffer.resize(std::max<std::size_t>(needed, buffer.size() * 2));
  }
  if (result == ERROR_FILE_NOT_FOUND)
    return std::nullopt;
  if (result != ERROR_SUCCESS)
    throw PrinterError("Printer " + name + ": cannot read " + value_name + ": " +
                       system_error_text(result));
  if (type != REG_SZ)
    throw PrinterError("Printer " + name + ": " + value_name + " is not a text");
  // The stored text may or may not end with its null character.
  std::wstring text(reinterpret_cast<const wchar_t*>(buffer.data()),
                    std::min<std::size_t>(needed, buffer.size()) / sizeof(wchar_t));
  text.erase(std::find(text.begin(), text.end(), L'\0'), text.end());
  return utf8(text);
}

escpos::ReceiptSetup printer_setup(const std::string& name) {
  const OpenedPrinter printer(name);
  return escpos::receipt_setup("Printer " + name, driver_name(printer, name) == kTextOnlyDriver,
                               printer_data(printer, name, escpos::kFormatOption),
                               printer_data(printer, name, escpos::kRollOption));
}

// Draws the page on the printer's own device context through its driver.
int spool_drawn(const std::string& printer, const PrintedPage& page) {
  const PrinterDc dc(printer);
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
  return job;
}

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
  const std::string& printer = names_[static_cast<std::size_t>(index)];
  const escpos::ReceiptSetup setup = printer_setup(printer);
  if (!setup.escpos)
    return std::to_string(spool_drawn(printer, page));
  const MonoImage image = render_mono(page, kReceiptDpi, setup.roll.dots_at_203);
  return std::to_string(spool_raw(printer, page.title, escpos::encode_receipt(image)));
}

}  // namespace talvex::platform::win32
