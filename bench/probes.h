#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/connection.h"
#include "platform/print_system.h"

namespace talvex::bench {

using Stopwatch = std::chrono::steady_clock;

double seconds_between(Stopwatch::time_point from, Stopwatch::time_point to);
// The processor time the calling thread has used.
double thread_cpu_seconds();
double median(std::vector<double> values);

// `value` of every row, as numbers to take the median of.
template <typename T, typename F>
std::vector<double> each(const std::vector<T>& rows, F value) {
  std::vector<double> out;
  for (const T& row : rows)
    out.push_back(static_cast<double>(value(row)));
  return out;
}

// The server's own statement counters, summed over every session. Reading them is itself one
// statement (a SHOW, counted in Questions but in no Com_ counter).
struct ServerCounts {
  std::int64_t com = 0;  // SELECT, INSERT, UPDATE (one table or several) and DELETE
  std::int64_t questions = 0;
};

// Read through `c`, a connection of its own, so that the connection measured sends nothing more.
ServerCounts read_server_counts(data::Connection& c);

// Statements run between two readings, by the Com_ counters and by Questions (less the SHOW of
// the later reading). The two agree when only SELECT, INSERT, UPDATE and DELETE statements were
// sent.
struct ServerDelta {
  std::int64_t com = 0;
  std::int64_t questions = 0;
};
ServerDelta operator-(const ServerCounts& after, const ServerCounts& before);

// The process's peak resident memory (VmHWM) in KiB, and its reset to the current resident size.
// The reset needs Linux 4.0 or later; without it the peak is the peak since the process started.
long peak_memory_kib();
bool reset_peak_memory();

// Forwards to the print system in use (switchable between runs) and times the output of each page;
// after each page it calls `page_ended` with the output time and the moment the page was out.
class TimedPrintSystem final : public platform::PrintSystem {
 public:
  explicit TimedPrintSystem(platform::PrintSystem& inner) : inner_(&inner) {}

  void use(platform::PrintSystem& inner) { inner_ = &inner; }

  std::vector<std::string> installed_printers() override { return inner_->installed_printers(); }
  std::optional<int> default_printer() override { return inner_->default_printer(); }
  bool can_open(int index) override { return inner_->can_open(index); }
  std::string print(int index, const platform::PrintedPage& page) override;

  std::function<void(double output_seconds, Stopwatch::time_point out)> page_ended;

 private:
  platform::PrintSystem* inner_;
};

}  // namespace talvex::bench
