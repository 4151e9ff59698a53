#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/print_system.h"

namespace talvex::platform::win32 {

// The Windows spooler's printers. The installed printers are EnumPrintersW's, in its order. A page
// is spooled under its title as one document of one page:
// - to a printer with a driver, drawn with GDI on a device context of the printer at the driver's
//   resolution, the model's 203-dpi dots scaled to it;
// - to a printer whose driver is "Generic / Text Only" (a receipt printer without a driver of its
//   own), as ESC/POS raster with a feed and cut, drawn by the same GDI code as a 1-bit image of the
//   roll's width at 203 dpi, in one RAW document through WritePrinter.
// The printer data talvex-format (escpos or pdf, the latter meaning the driver's page) overrides
// the choice and talvex-roll (80 or 58) names the roll, 80 mm without it, as the queue options do
// on Linux; they are values of the printer's data (SetPrinterDataW, or the printer's
// PrinterDriverData key in the registry). A spool that fails or is refused, and a value of those
// we do not know, is a PrinterError with the system's text or the value.
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
