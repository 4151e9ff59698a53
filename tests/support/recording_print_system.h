#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/print_system.h"

namespace talvex::testing {

// A print system that keeps every page it is asked to print, for tests of the printer object and
// of the documents. Its printers, default printer and failures are set by the test.
class RecordingPrintSystem final : public platform::PrintSystem {
 public:
  struct Job {
    int index;
    std::string printer;
    platform::PrintedPage page;
  };

  explicit RecordingPrintSystem(std::vector<std::string> names = {"KASSA-80", "BAR-58",
                                                                  "KITCHEN-80", "CONTROL-80"},
                                std::optional<int> default_printer_index = 0)
      : printers(std::move(names)), default_index(default_printer_index) {}

  std::vector<std::string> installed_printers() override;
  std::optional<int> default_printer() override {
    ++default_calls;
    return default_index;
  }
  bool can_open(int index) override {
    ++open_calls;
    return unopenable.count(index) == 0;
  }
  std::string print(int index, const platform::PrintedPage& page) override;
  // Found when a recorded job on the printer carries the identity.
  platform::DocumentPresence find_document(int index, const std::string& identity) override;
  std::vector<platform::PrinterState> printer_states() override { return states; }

  // The texts of job `n` as lines "x,y,pt,text", for compact comparisons.
  std::vector<std::string> lines(std::size_t n) const;

  std::vector<std::string> printers;
  std::optional<int> default_index;
  std::set<int> unopenable;                    // printers whose documents cannot be begun
  std::optional<std::string> refuse_with;      // print() throws this text when set...
  std::size_t refuse_from = 0;                 // ... once this many jobs are recorded
  std::vector<platform::PrinterState> states;  // what printer_states() answers: unknown by default
  int list_calls = 0;
  int default_calls = 0;
  int open_calls = 0;
  int find_calls = 0;
  bool cannot_tell = false;  // find_document() answers CannotTell when set
  std::vector<Job> jobs;
};

}  // namespace talvex::testing
