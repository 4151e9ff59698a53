#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/print_system.h"

namespace talvex::platform {

// A print system whose printers are addressed by name, as the system printers are: it keeps the
// names it listed last, to which the printer object's indices refer, and finds the default
// printer's index by its name.
class NamedPrintSystem : public PrintSystem {
 public:
  std::vector<std::string> installed_printers() final {
    names_ = list_names();
    listed_ = true;
    return names_;
  }

  std::optional<int> default_printer() final {
    const std::optional<std::string> wanted = default_name();
    if (!wanted)
      return std::nullopt;
    if (!listed_)
      installed_printers();
    for (std::size_t k = 0; k < names_.size(); ++k) {
      if (names_[k] == *wanted)
        return static_cast<int>(k);
    }
    return std::nullopt;
  }

 protected:
  // The installed printers' names in the platform's order, and the default printer's name.
  virtual std::vector<std::string> list_names() = 0;
  virtual std::optional<std::string> default_name() = 0;

  bool has_index(int index) {
    if (!listed_)
      installed_printers();
    return index >= 0 && index < static_cast<int>(names_.size());
  }
  // The names installed_printers() gave last, listing them first if it has not been asked.
  const std::vector<std::string>& listed_names() {
    if (!listed_)
      installed_printers();
    return names_;
  }
  const std::string& name(int index) {
    if (!has_index(index))
      throw PrinterError("Printer index out of range");
    return names_[static_cast<std::size_t>(index)];
  }

 private:
  std::vector<std::string> names_;
  bool listed_ = false;
};

}  // namespace talvex::platform
