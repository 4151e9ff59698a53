#pragma once

#include <functional>
#include <string>

#include "app/journal_keeper.h"
#include "data/database.h"
#include "tickets/job_progress.h"

namespace talvex::testing {

// Keeps a job's progress in the database's journal, as the print service does: each document is
// recorded as handed and as ended, and the row is marked with its journal lines.
class KeptInJournal {
 public:
  KeptInJournal(data::Database& db, const data::QueueRow& row)
      : keeper_(db.journal, row, "test service", kept_,
                [](const std::function<void()>& statement) { statement(); }) {}

  // Makes `progress` keep itself here; a progress set back to {} must be given again.
  void keep(tickets::JobProgress& progress) { progress.set_place("kassa-pc", &keeper_); }

 private:
  const bool kept_ = true;
  app::JournalKeeper keeper_;
};

}  // namespace talvex::testing
