#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/print_system.h"

namespace talvex::platform::win32 {

// The Windows spooler's printers. The installed printers are EnumPrintersW's, in its order; a page
// is drawn with GDI on a device context of the printer at the driver's resolution, the model's
// 203-dpi dots scaled to it, and spooled under the page's title as one document of one page. A
// spool that fails or is refused is a PrinterError with the system's text.
class SpoolerPrintSystem final : public PrintSystem {
 public:
  std::vector<std::string> installed_printers() override;
  std::optional<int> default_printer() override;
  bool can_open(int index) override;
  // Returns the spooler's job id.
  std::string print(int index, const PrintedPage& page) override;

 private:
  std::vector<std::string> names_;  // as installed_printers() last listed them
};

}  // namespace talvex::platform::win32
