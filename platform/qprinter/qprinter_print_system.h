#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/named_print_system.h"

namespace talvex::platform {

// The system's printers through Qt's printing: the Windows spooler on Windows, Qt's own CUPS
// support elsewhere. The list is QPrinterInfo's in its order. A page is drawn on a QPrinter at the
// driver's resolution, the document named with the page's title; Qt reports no reason when the
// platform refuses a job, so that failure carries a text of our own. Needs a QGuiApplication.
class QPrinterPrintSystem final : public NamedPrintSystem {
 public:
  bool can_open(int index) override;
  std::string print(int index, const PrintedPage& page) override;

 private:
  std::vector<std::string> list_names() override;
  std::optional<std::string> default_name() override;
};

}  // namespace talvex::platform
