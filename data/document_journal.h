#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "data/connection.h"
#include "data/errors.h"
#include "data/queue_row.h"

namespace talvex::data {

// One line of the journal: a document of a waiting `print` row ("ticket on printer 4", "first
// copy"), or the row's hold ("job"), under the row's journal_key().
struct JournalEntry {
  std::string row_key;
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
// row, on the server's clock. A row's lines are kept under its journal_key(), which the table's
// column `print_id` holds. The lines of a row that is marked printed are set to "marked" in the
// same statement as the row, and no longer count. Every failure throws DataError.
class DocumentJournal {
 public:
  explicit DocumentJournal(Connection& connection) : connection_(connection) {}

  // Creates the table when it is missing and drops lines marked a week ago or more. An account
  // that may not create tables still keeps a table made for it: the CREATE's failure is thrown
  // only when the housekeeping fails too.
  void prepare();
  // The lines that count: those of rows that still wait, as the server decides `status='no'`, and
  // that read as they did when their lines were written. Lines of rows that are printed, gone or
  // now ask for something else (a reused id) are set to "marked" first, so that such a row prints
  // in full. Lines kept under the bare id, as services before the key wrote them, are taken over
  // by the waiting row with that id and kept under its key from then on.
  std::vector<JournalEntry> read_waiting();
  void handed(const JournalEntry& entry);
  void ended(const std::string& row_key, const std::string& document,
             const std::string& spooler_job);
  // Drops the line of a document that its printer refused, so nothing of it came out.
  void refused(const std::string& row_key, const std::string& document);
  // Holds the row for `milliseconds` from now on the server's clock.
  void hold(const std::string& row_key, const std::string& service, std::int64_t milliseconds);
  // Sets the lines of rows that no longer wait to "marked".
  void forget(const std::set<std::string>& row_keys);
  // Marks the `print` row printed and its lines "marked", in one statement.
  void mark_printed(const QueueRow& row);

 private:
  Connection& connection_;
};

// Whether a failure of a journal statement means that the journal cannot be kept at all (no
// privilege on the table, a read-only server, the table dropped), rather than a passing failure.
bool journal_unavailable(const DataError& failure);

}  // namespace talvex::data
