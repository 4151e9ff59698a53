#include "platform/win32/raw_spool.h"

#include <windows.h>
#include <winspool.h>

#include "platform/print_system.h"
#include "platform/win32/opened_printer.h"
#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {
namespace {

[[noreturn]] void fail(const std::string& what) {
  throw PrinterError(what + ": " + system_error_text(GetLastError()));
}

}  // namespace

int spool_raw(const std::string& printer, const std::string& title, const std::string& bytes) {
  const OpenedPrinter opened(printer);
  std::wstring document_name = wide(title);
  std::wstring datatype = L"RAW";
  DOC_INFO_1W document{document_name.data(), nullptr, datatype.data()};
  const DWORD job = StartDocPrinterW(opened.get(), 1, reinterpret_cast<BYTE*>(&document));
  if (job == 0)
    fail("Cannot start the document " + title);
  try {
    if (!StartPagePrinter(opened.get()))
      fail("Cannot start the page");
    DWORD written = 0;
    if (!WritePrinter(opened.get(), const_cast<char*>(bytes.data()),
                      static_cast<DWORD>(bytes.size()), &written))
      fail("Cannot write to the printer " + printer);
    if (written != bytes.size())
      throw PrinterError("Cannot write to the printer " + printer + ": it took " +
                         std::to_string(written) + " of " + std::to_string(bytes.size()) +
                         " bytes");
    if (!EndPagePrinter(opened.get()))
      fail("Cannot end the page");
  } catch (...) {
    AbortPrinter(opened.get());
    throw;
  }
  if (!EndDocPrinter(opened.get()))
    fail("Cannot spool the document " + title);
  return static_cast<int>(job);
}

}  // namespace talvex::platform::win32
