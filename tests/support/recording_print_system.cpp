#include "tests/support/recording_print_system.h"

namespace talvex::testing {

std::vector<std::string> RecordingPrintSystem::installed_printers() {
  ++list_calls;
  return printers;
}

void RecordingPrintSystem::print(int index, const platform::PrintedPage& page) {
  if (refuse_with)
    throw platform::PrinterError(*refuse_with);
  jobs.push_back({index, printers.at(static_cast<std::size_t>(index)), page});
}

std::vector<std::string> RecordingPrintSystem::lines(std::size_t n) const {
  std::vector<std::string> out;
  for (const platform::DrawnText& t : jobs.at(n).page.texts) {
    out.push_back(std::to_string(t.x) + "," + std::to_string(t.y) + "," + std::to_string(t.points) +
                  "," + t.text);
  }
  return out;
}

}  // namespace talvex::testing
