#include "bench/probes.h"

#include <time.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace talvex::bench {

double seconds_between(Stopwatch::time_point from, Stopwatch::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

double thread_cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double median(std::vector<double> values) {
  if (values.empty())
    return 0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

ServerCounts read_server_counts(data::Connection& c) {
  const data::ResultTable status = c.query(
      "SHOW GLOBAL STATUS WHERE Variable_name IN ('Com_select', 'Com_insert', "
      "'Com_update', 'Com_update_multi', 'Com_delete', 'Questions')");
  ServerCounts counts;
  for (const std::vector<std::string>& row : status.rows) {
    const std::int64_t value = std::stoll(row.at(1));
    (row.at(0) == "Questions" ? counts.questions : counts.com) += value;
  }
  return counts;
}

ServerDelta operator-(const ServerCounts& after, const ServerCounts& before) {
  return {after.com - before.com, after.questions - before.questions - 1};
}

long peak_memory_kib() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0)
      return std::stol(line.substr(6));
  }
  throw std::runtime_error("no VmHWM in /proc/self/status");
}

bool reset_peak_memory() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.close();
  return static_cast<bool>(clear);
}

std::string TimedPrintSystem::print(int index, const platform::PrintedPage& page) {
  const Stopwatch::time_point start = Stopwatch::now();
  std::string job = inner_->print(index, page);
  const Stopwatch::time_point out = Stopwatch::now();
  if (page_ended)
    page_ended(seconds_between(start, out), out);
  return job;
}

}  // namespace talvex::bench
