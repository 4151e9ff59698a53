#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/named_print_system.h"

namespace talvex::platform {

// The system's printers through libcups, on the scheduler that CUPS_SERVER or the client
// configuration names. The list is cupsGetDests in its order, read at each call (the printer object
// asks once). A page is rendered at the queue's resolution (203 dpi where the queue does not say)
// on its roll, 80 mm unless the queue's talvex-roll option says 58, and submitted under the
// document title:
// - to a queue with a driver, as a PDF drawn by Qt, with cupsPrintFile;
// - to a raw queue (CUPS's "Local Raw Printer": a receipt printer without a driver), as ESC/POS
//   raster with a feed and cut, drawn by the same renderer as a 1-bit image of the roll's width,
//   in one raw document (application/vnd.cups-raw).
// The queue option talvex-format (escpos or pdf) overrides the choice. A job that CUPS refuses
// throws PrinterError with CUPS's own text, as does a talvex- option with a value we do not know.
// Rendering needs a QGuiApplication.
class CupsPrintSystem final : public NamedPrintSystem {
 public:
  bool can_open(int index) override;
  // Returns CUPS's job id. The page's identity goes with the job as its talvex-document attribute.
  std::string print(int index, const PrintedPage& page) override;
  // Found when a job of the queue that is printing, waiting or completed carries the identity in
  // its talvex-document attribute; a cancelled or aborted one printed nothing.
  DocumentPresence find_document(int index, const std::string& identity) override;
  // From one CUPS-Get-Printers and one Get-Jobs request: each queue's printer-state,
  // printer-state-reasons and printer-state-message, and its jobs not yet completed, cancelled or
  // aborted (an instance has its queue's). Empty when the scheduler does not answer.
  std::vector<PrinterState> printer_states() override;

 private:
  std::vector<std::string> list_names() override;
  std::optional<std::string> default_name() override;
};

}  // namespace talvex::platform
