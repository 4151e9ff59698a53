#include "tests/support/recording_print_system.h"

namespace talvex::testing {

std::vector<std::string> RecordingPrintSystem::installed_printers() {
  ++list_calls;
  return printers;
}

std::string RecordingPrintSystem::print(int index, const platform::PrintedPage& page) {
  if (refuse_with && jobs.size() >= refuse_from)
    throw platform::PrinterError(*refuse_with);
  jobs.push_back({index, printers.at(static_cast<std::size_t>(index)), page});
  return std::to_string(jobs.size());
}

platform::DocumentPresence RecordingPrintSystem::find_document(int index,
                                                               const std::string& identity) {
  ++find_calls;
  if (cannot_tell)
    return platform::DocumentPresence::CannotTell;
  for (const Job& job : jobs) {
    if (job.index == index && job.page.identity == identity)
      return platform::DocumentPresence::Found;
  }
  return platform::DocumentPresence::NotFound;
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
