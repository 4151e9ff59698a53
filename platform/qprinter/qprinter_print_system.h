#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/print_system.h"

namespace talvex::platform {

// The system's printers through Qt's printing: the Windows spooler on Windows, Qt's own CUPS
// support elsewhere. The list is QPrinterInfo's in its order. A page is drawn on a QPrinter at the
// driver's resolution, the document named with the page's title; Qt reports no reason when the
// platform refuses a job, so that failure carries a text of our own. Needs a QGuiApplication.
class QPrinterPrintSystem final : public PrintSystem {
 public:
  std::vector<std::string> installed_printers() override;
  std::optional<int> default_printer() override;
  bool can_open(int index) override;
  void print(int index, const PrintedPage& page) override;

 private:
  const std::string& name(int index);

  std::vector<std::string> names_;  // as last listed; indices refer to this list
  bool listed_ = false;
};

}  // namespace talvex::platform
