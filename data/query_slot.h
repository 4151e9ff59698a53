#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/connection.h"
#include "data/sql.h"

namespace talvex::data {

// One of the reusable result sets UniQuery1 ... UniQuery12. Its statement is replaced for every
// read: a reload clears the statement (which closes the slot and empties its bound fields), sets
// the new one and opens the slot, which runs the statement, fetches every row and makes the first
// row current. Opening fails, and the slot stays closed, when the statement fails or a bound column
// is missing from the result.
class QuerySlot {
 public:
  // A bound field of this slot: its name ("DBMemo6") and the column it shows ("status").
  struct Binding {
    std::string field;
    std::string column;
  };

  QuerySlot(std::string name, Connection& connection, Sql default_statement,
            std::vector<Binding> bindings);

  const std::string& name() const { return name_; }

  void reload(const Sql& statement);
  // Forgets the statement; the slot is closed and its bound fields read empty.
  void clear();
  // Runs the statement unless the slot is open already.
  void open();
  bool active() const { return active_; }

  // The text of `column` in the current row: empty when the slot is closed, the result has no row,
  // or the value is NULL.
  std::string field_text(std::string_view column) const;

  // Makes another row of the open result the current one; the bound fields then show it.
  void move_to(std::size_t row);

  // Every row of the open result, in the result's order. Throws DataError for a column the result
  // does not have.
  std::size_t row_count() const { return active_ ? result_.rows.size() : 0; }
  const std::string& text(std::size_t row, std::string_view column) const;

 private:
  std::string name_;
  Connection& connection_;
  std::optional<Sql> statement_;
  std::vector<Binding> bindings_;
  ResultTable result_;
  std::size_t current_ = 0;
  bool active_ = false;
};

}  // namespace talvex::data
