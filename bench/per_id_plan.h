#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/database.h"

namespace talvex::bench {

// The per-id read plan of a document: the single-row statements a document costs when it finds an
// order's items by visiting every menu id, and for each menu row every line id of the order's
// range, and its payments by visiting every payment id of the order's range, one statement each.
// Only the reads are run, in the order and with the texts of those scans, through the slots of
// `db`; nothing is drawn.
//
// On a large menu with a wide line range the plan runs for minutes, so it may stop after the first
// `menu_id_limit` menu ids; since every menu id of the range costs the same here, the whole plan
// is then extrapolated linearly from the ids run.
struct PlanRun {
  std::int64_t statements = 0;  // sent in this run
  double seconds = 0;
  std::int64_t loop_statements = 0;  // the menu loop's part of the above
  double loop_seconds = 0;
  int menu_ids_run = 0;
  int menu_ids = 0;  // in the menu's id range

  bool sampled() const { return menu_ids_run < menu_ids; }
  double full_statements() const;
  double full_seconds() const;
};

// One copy of a pre-check (receipt = false) or of a closing receipt on the printer of `role`, for
// the queue row `print_row_id`.
PlanRun read_bill_copy_per_id(data::Database& db, const std::string& print_row_id,
                              std::string_view role, bool receipt, int menu_id_limit);

// One order ticket for the printer row in db.printers (a control ticket when `control`), the job's
// queue row standing in db.queue as the queue check leaves it.
PlanRun read_order_ticket_per_id(data::Database& db, const std::string& print_row_id, bool control,
                                 int menu_id_limit);

}  // namespace talvex::bench
