#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "data/database.h"
#include "platform/clock.h"
#include "platform/printer.h"
#include "tickets/job_progress.h"
#include "tickets/page.h"
#include "tickets/settings.h"

namespace talvex::tickets {

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

// The page that the job begins for `document`, under the line "ПОВТОР" when the step says so.
void start_document(Page& page, const std::string& title, NextStep step);
// Ends the page as the job's `document`, noted in the job's progress as handed before it goes to
// the printer and as ended once the printer has it.
void send_document(JobContext& job, Page& page, const std::string& document,
                   std::int32_t discount = 0);

// Marks the job's queue row printed: the last database step of every job. Where the journal is
// kept, the row's journal lines are closed in the same statement.
void mark_printed(JobContext& job);

}  // namespace talvex::tickets
