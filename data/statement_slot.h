#pragma once

#include "data/connection.h"
#include "data/sql.h"

namespace talvex::data {

// Runs statements whose answer the service does not use (the keep-alive and the update
// that marks a job printed). A failure throws DataError; nothing else changes.
class StatementSlot {
 public:
  explicit StatementSlot(Connection& connection) : connection_(connection) {}

  void execute(const Sql& statement) { connection_.execute(statement); }

 private:
  Connection& connection_;
};

}  // namespace talvex::data
