#include "platform/escpos/receipt_options.h"

#include <algorithm>
#include <iterator>

#include "platform/print_system.h"

namespace talvex::platform::escpos {
namespace {

constexpr RollSize kRolls[] = {{"80", 80.0, 576}, {"58", 58.0, 384}};

}  // namespace

ReceiptSetup receipt_setup(const std::string& printer, bool driverless,
                           const std::optional<std::string>& format,
                           const std::optional<std::string>& roll) {
  ReceiptSetup setup{driverless, kRolls[0]};
  if (format) {
    if (*format != "escpos" && *format != "pdf")
      throw PrinterError(printer + ": " + kFormatOption + " is '" + *format +
                         "', not escpos or pdf");
    setup.escpos = *format == "escpos";
  }
  if (roll) {
    const auto known = std::find_if(std::begin(kRolls), std::end(kRolls),
                                    [&](const RollSize& r) { return r.option == *roll; });
    if (known == std::end(kRolls))
      throw PrinterError(printer + ": " + kRollOption + " is '" + *roll + "', not 80 or 58");
    setup.roll = *known;
  }
  return setup;
}

}  // namespace talvex::platform::escpos
