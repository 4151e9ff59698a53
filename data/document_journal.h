#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "data/connection.h"
#include "data/errors.h"

namespace talvex::data {

// One line of the journal: a document of a waiting `print` row ("ticket on printer 4", "first
// copy"), or the row's hold ("job").
struct JournalEntry {
  std::string print_id;
  std::string document;
  std::string state;  // "handed", "ended" or "held"
  std::string computer;
  std::string printer;   // the installed printer it was handed to
  std::string identity;  // what the printer's own records know it by
  std::int32_t discount = 0;
  std::string service;       // the service that wrote the line
  std::int64_t held_ms = 0;  // what is left of the hold on the server's clock
};

// The service's journal of documents in the venue's database, table `talvex_documents`: for every
// document of a job, whether it has been handed to its printer or has ended there, so that a retry
// by any service, after any crash, prints only what did not come out; and the hold of a failing
// row, on the server's clock. The lines of a row that is marked printed are set to "marked" in the
// same statement as the row, and no longer count. Every failure throws DataError.
class DocumentJournal {
 public:
  explicit DocumentJournal(Connection& connection) : connection_(connection) {}

  // Creates the table when it is missing and drops lines marked a week ago or more.
  void prepare();
  // The lines that count: those of rows that still wait. Lines of rows that are printed or gone
  // are set to "marked" first, so a row that the front end sets back to "no" prints in full.
  std::vector<JournalEntry> read_waiting();
  void handed(const JournalEntry& entry);
  void ended(const std::string& print_id, const std::string& document,
             const std::string& spooler_job);
  // Drops the line of a document that its printer refused, so nothing of it came out.
  void refused(const std::string& print_id, const std::string& document);
  // Holds the row for `milliseconds` from now on the server's clock.
  void hold(const std::string& print_id, const std::string& service, std::int64_t milliseconds);
  // Sets the lines of rows that no longer wait to "marked".
  void forget(const std::set<std::string>& print_ids);
  // Marks the `print` row printed and its lines "marked", in one statement.
  void mark_printed(const std::string& print_id);

 private:
  Connection& connection_;
};

// Whether a failure of a journal statement means that the journal cannot be kept at all (no
// privilege on the table, a read-only server, the table dropped), rather than a passing failure.
bool journal_unavailable(const DataError& failure);

}  // namespace talvex::data
