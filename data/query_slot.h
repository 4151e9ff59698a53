#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/connection.h"
#include "data/sql.h"

namespace talvex::data {

// A reusable result set. Its statement is replaced for every read: a reload clears the statement
// (which closes the slot and empties its current row), sets the new one and opens the slot, which
// runs the statement, fetches every row and makes the first row current. Opening fails, and the
// slot stays closed, when the statement fails or a bound column is missing from the result.
class QuerySlot {
 public:
  // A column the slot reads, and the name its missing-column failure gives it.
  struct Binding {
    std::string column;
    std::string field_name;
  };

  QuerySlot(std::string name, Connection& connection, Sql default_statement,
            std::vector<Binding> bindings);
  QuerySlot(const QuerySlot&) = delete;
  QuerySlot& operator=(const QuerySlot&) = delete;

  const std::string& name() const { return name_; }

  void reload(const Sql& statement);
  // Forgets the statement; the slot is closed and its current row reads empty.
  void clear();
  // Runs the statement unless the slot is open already.
  void open();
  bool active() const { return active_; }

  // The text of bound `column` in the current row: empty when the slot is closed, the result has
  // no row, or the value is NULL. Asking for a column the slot does not bind is a programming
  // error (std::logic_error).
  std::string text(std::string_view column) const;

  // Makes another row of the open result the current one.
  void move_to(std::size_t row);
  std::size_t current_row() const { return current_; }

  // Every row of the open result, in the result's order. Throws DataError for a column the result
  // does not have.
  std::size_t row_count() const { return active_ ? result_.rows.size() : 0; }
  const std::string& text(std::size_t row, std::string_view column) const;

  // Called with the slot each time it opens with a result, before its caller sees the rows, so that
  // what was read can be remembered without reading it again. The observer must not throw.
  void set_open_observer(std::function<void(const QuerySlot&)> observer) {
    observer_ = std::move(observer);
  }

 private:
  std::string name_;
  Connection& connection_;
  std::optional<Sql> statement_;
  std::vector<Binding> bindings_;
  ResultTable result_;
  std::size_t current_ = 0;
  bool active_ = false;
  std::function<void(const QuerySlot&)> observer_;
};

}  // namespace talvex::data
