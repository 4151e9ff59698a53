#pragma once

#include <string>

namespace talvex::tickets {

// The settings as read from table `settings`, held as the texts the database gave; each user
// converts or compares a value at the moment it needs it.
struct Settings {
  std::string oragnization;
  std::string titles;
  std::string control_printer;
  std::string printer_timer;
  std::string printer_total;
  std::string name_check_left;
  std::string title_check_left;
};

}  // namespace talvex::tickets
