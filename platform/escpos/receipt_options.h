#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace talvex::platform::escpos {

// A printer's own options for its receipts, the same on every system; only where they are kept
// differs (a CUPS queue's options, a Windows printer's data):
// - talvex-format: escpos (ESC/POS raster) or pdf (the page the system draws through the printer's
//   driver), whatever the printer's driver; without it, a printer without a driver gets ESC/POS;
// - talvex-roll: 80 or 58, the roll's width in millimetres; 80 without it.
inline constexpr const char* kFormatOption = "talvex-format";
inline constexpr const char* kRollOption = "talvex-roll";

// A roll of receipt paper: its width and the dots printed across it at 203 dpi (other resolutions
// print the same width).
struct RollSize {
  std::string_view option;  // the value of talvex-roll
  double width_mm;
  int dots_at_203;
};

struct ReceiptSetup {
  bool escpos = false;
  RollSize roll;
};

// The setup of a printer whose options hold `format` and `roll` (nothing where an option is not
// set), that has no driver when `driverless`. A value we do not know throws PrinterError
// "<printer>: talvex-format is 'zpl', not escpos or pdf" (or the roll's), rather than printing in
// a form the printer may not take; `printer` names the printer as its system does ("Queue
// kitchen").
ReceiptSetup receipt_setup(const std::string& printer, bool driverless,
                           const std::optional<std::string>& format,
                           const std::optional<std::string>& roll);

}  // namespace talvex::platform::escpos
