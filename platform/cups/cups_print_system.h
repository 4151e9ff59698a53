#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/named_print_system.h"

namespace talvex::platform {

// The system's printers through libcups, on the scheduler that CUPS_SERVER or the client
// configuration names. The list is cupsGetDests in its order, read at each call (the printer object
// asks once). A page is rendered to PDF by Qt at the queue's resolution (203 dpi where the queue
// does not say) on an 80 mm roll and submitted with cupsPrintFile under the document title; a job
// that CUPS refuses throws PrinterError with CUPS's own text. Rendering needs a QGuiApplication.
class CupsPrintSystem final : public NamedPrintSystem {
 public:
  bool can_open(int index) override;
  void print(int index, const PrintedPage& page) override;

 private:
  std::vector<std::string> list_names() override;
  std::optional<std::string> default_name() override;
};

}  // namespace talvex::platform
