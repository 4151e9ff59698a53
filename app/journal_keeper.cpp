#include "app/journal_keeper.h"

#include <utility>

namespace talvex::app {

JournalKeeper::JournalKeeper(data::DocumentJournal& journal, data::QueueRow row,
                             std::string service, const bool& journal_kept, Runner run)
    : journal_(journal),
      row_(std::move(row)),
      row_key_(data::journal_key(row_)),
      service_(std::move(service)),
      journal_kept_(journal_kept),
      run_(std::move(run)) {}

void JournalKeeper::handed(const std::string& document, const tickets::DocumentRecord& record) {
  run_([&] {
    journal_.handed(data::JournalEntry{row_key_, document, "handed", record.computer,
                                       record.printer, record.identity, record.discount, service_,
                                       0});
  });
}

void JournalKeeper::ended(const std::string& document, const std::string& spooler_job) {
  run_([&] { journal_.ended(row_key_, document, spooler_job); });
}

void JournalKeeper::refused(const std::string& document) {
  run_([&] { journal_.refused(row_key_, document); });
}

void JournalKeeper::mark_printed() {
  journal_.mark_printed(row_);
}

}  // namespace talvex::app
