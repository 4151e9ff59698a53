#pragma once

#include "data/connection.h"
#include "data/document_journal.h"
#include "data/query_slot.h"
#include "data/queue_lock.h"
#include "data/slot_definitions.h"
#include "data/statement_slot.h"

namespace talvex::data {

// Everything through which the service reads and writes the database: the one connection, a query
// slot for each kind of row it reads, and the statement slot for what it writes. A job reads a
// value as a column of its slot's current row: `db.order.text("date_open")`.
class Database {
 public:
  explicit Database(ConnectionParams params);
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  Connection connection;
  StatementSlot statements{connection};
  // Held while a job runs, so that another service on the same database does not run it too.
  QueueLock queue_lock{connection};
  // What each waiting job has printed, kept for every service and across restarts.
  DocumentJournal journal{connection};

  // In the order the service opens them at start (slot_definitions.h).
  QuerySlot printers;
  QuerySlot settings;
  QuerySlot queue;
  QuerySlot job;
  QuerySlot order;
  QuerySlot lines;
  QuerySlot table;
  QuerySlot hall;
  QuerySlot payments;
  QuerySlot menu;
  QuerySlot payment_type;
  QuerySlot client;

  QuerySlot& slot(Slot which);

  // Start-up: every slot opens with its default statement, in slot order; the first opens the
  // connection. The first failure is thrown.
  void open_slots();
};

}  // namespace talvex::data
