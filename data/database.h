#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/connection.h"
#include "data/query_slot.h"
#include "data/statement_slot.h"

namespace talvex::data {

// Everything through which the service reads and writes the database: the connection, the query
// slots UniQuery1 ... UniQuery12 with their default statements, the bound fields DBMemo1 ...
// DBMemo43 and the statement slot UniSQL1.
class Database {
 public:
  explicit Database(ConnectionParams params);
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  Connection UniConnection1;
  StatementSlot UniSQL1{UniConnection1};

  // UniQuery<number>, 1 to 12.
  QuerySlot& UniQuery(int number);
  const QuerySlot& UniQuery(int number) const;

  // The text of bound field DBMemo<number>, 1 to 43: its column in the current row of its slot.
  std::string DBMemo(int number) const;

  // Start-up: every slot opens with its default statement, in slot order; the first opens the
  // connection. The first failure is thrown.
  void open_slots();

 private:
  std::vector<std::unique_ptr<QuerySlot>> slots_;
};

}  // namespace talvex::data
