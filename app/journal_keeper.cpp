#include "app/journal_keeper.h"

#include <utility>

namespace talvex::app {

JournalKeeper::JournalKeeper(data::DocumentJournal& journal, std::string print_id,
                             std::string service, const bool& journal_kept, Runner run)
    : journal_(journal),
      print_id_(std::move(print_id)),
      service_(std::move(service)),
      journal_kept_(journal_kept),
      run_(std::move(run)) {}

void JournalKeeper::handed(const std::string& document, const tickets::DocumentRecord& record) {
  run_([&] {
    journal_.handed(data::JournalEntry{print_id_, document, "handed", record.computer,
                                       record.printer, record.identity, record.discount, service_,
                                       false});
  });
}

void JournalKeeper::ended(const std::string& document, const std::string& spooler_job) {
  run_([&] { journal_.ended(print_id_, document, spooler_job); });
}

void JournalKeeper::refused(const std::string& document) {
  run_([&] { journal_.refused(print_id_, document); });
}

}  // namespace talvex::app
