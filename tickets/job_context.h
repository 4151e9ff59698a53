#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "data/database.h"
#include "platform/clock.h"
#include "platform/printer.h"
#include "tickets/settings.h"

namespace talvex::tickets {

// The documents of one queued job that have come out already. A job that fails is tried again
// later; it skips what is marked here, so a retry never prints a document twice.
class JobProgress {
 public:
  bool printed(const std::string& document) const { return printed_.count(document) != 0; }
  void mark_printed(const std::string& document) { printed_.insert(document); }

  // The discount percentage a bill's first copy ended with, which its second copy may carry on
  // when the first is not printed again.
  std::int32_t carried_discount = 0;

 private:
  std::set<std::string> printed_;
};

// What a job works with, handed over by the print service for each job: the database components,
// the printer object, the clock, the settings, the queue row's id and the job's progress.
// `set_queue_countdown` sets the ticks until the next queue check.
struct JobContext {
  data::Database& db;
  platform::Printer& printer;
  platform::Clock& clock;
  const Settings& settings;
  const std::string& print_row_id;
  JobProgress& progress;
  std::function<void(int)> set_queue_countdown;
};

// Marks the job's queue row printed: the last database step of every job.
void mark_printed(JobContext& job);

}  // namespace talvex::tickets
