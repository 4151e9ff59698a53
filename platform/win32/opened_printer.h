#pragma once

#include <windows.h>
#include <winspool.h>

#include <string>

#include "platform/print_system.h"
#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {

// A spooler printer opened for the object's life. Opening throws PrinterError with the system's
// text when the printer cannot be opened.
class OpenedPrinter final {
 public:
  explicit OpenedPrinter(const std::string& name) {
    std::wstring wide_name = wide(name);
    if (!OpenPrinterW(wide_name.data(), &handle_, nullptr))
      throw PrinterError("Cannot open the printer " + name + ": " +
                         system_error_text(GetLastError()));
  }
  ~OpenedPrinter() { ClosePrinter(handle_); }
  OpenedPrinter(const OpenedPrinter&) = delete;
  OpenedPrinter& operator=(const OpenedPrinter&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace talvex::platform::win32
