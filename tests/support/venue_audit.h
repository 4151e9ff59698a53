#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "data/connection.h"
#include "tests/support/printed_documents.h"

namespace talvex::testing {

// The same check at the end of every whole-service test: for every row of `print`, the documents
// its data calls for against those the directory printers hold, and its status.
//
// A row marked 'yes' must have each of its documents exactly once; a row still 'no' may have some
// of them (a job that failed part-way and waits for its retry), never one twice. Documents are
// told apart by their title and lines: an order ticket by its order, sub-order and printer line,
// a pre-check by its order, a receipt by its order and printer line. What a row calls for is read
// from the database as the audit runs: the `printers` rows, the order's lines and the setting
// control_printer. A document that is not whole counts as not printed.
struct VenueAudit {
  int rows = 0;
  int printed_rows = 0;
  int documents = 0;
  int missing = 0;     // documents of a printed row that did not come out
  int duplicates = 0;  // documents beyond what the rows call for
  int repeated = 0;    // documents that came out again within the allowance of `may_repeat`
  int damaged = 0;     // documents that are not whole (a record cut short, a page missing)
  std::vector<std::string> problems;

  bool clean() const { return missing == 0 && duplicates == 0 && damaged == 0 && problems.empty(); }
  // The figures and the problems, for a failure message.
  std::string report() const;
};

// The key that tells a document apart from every other one the queue may ask for ("order ticket
// 3/1 on BAR", "pre-check 4", "receipt 1 on CONTROL"), or empty for one it cannot have asked for.
std::string document_key(const PrintedDocument& document);

// A row that the front end deleted from `print` after its job had begun: what it asked for.
struct DeletedRow {
  std::string type;
  std::string zakaz;
  std::string podzakaz;
};

// Rows whose id is in `left_out` (printed before the documents were collected) are not audited.
// `may_repeat` allows a document, by its key, to come out that many times more than the rows ask
// for: a document that had ended before the program was killed and that its job, started anew,
// printed again. Those are counted in `repeated`, not in `duplicates`. The documents of `deleted`
// rows may be among the printed ones, each at most once, and none is required.
VenueAudit audit_venue(data::Connection& db, const std::vector<PrintedDocument>& documents,
                       const std::set<std::string>& left_out = {},
                       const std::map<std::string, int>& may_repeat = {},
                       const std::vector<DeletedRow>& deleted = {});

}  // namespace talvex::testing
