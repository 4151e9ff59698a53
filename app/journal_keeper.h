#pragma once

#include <functional>
#include <string>

#include "data/document_journal.h"
#include "tickets/job_progress.h"

namespace talvex::app {

// Keeps one job's progress in the database's journal, under the key of its queue row as the job
// found it, each record sent by `run`, which sends it while the journal is kept (`journal_kept`)
// and gives the journal up when it cannot be kept, so that the job goes on as it would without
// one. The marking of the row is sent as it is: a failure there fails the job.
class JournalKeeper final : public tickets::ProgressKeeper {
 public:
  using Runner = std::function<void(const std::function<void()>&)>;

  JournalKeeper(data::DocumentJournal& journal, data::QueueRow row, std::string service,
                const bool& journal_kept, Runner run);

  bool keeping() const override { return journal_kept_; }
  void handed(const std::string& document, const tickets::DocumentRecord& record) override;
  void ended(const std::string& document, const std::string& spooler_job) override;
  void refused(const std::string& document) override;
  void mark_printed() override;

 private:
  data::DocumentJournal& journal_;
  data::QueueRow row_;
  std::string row_key_;
  std::string service_;
  const bool& journal_kept_;
  Runner run_;
};

}  // namespace talvex::app
