#include "data/query_slot.h"

#include <algorithm>
#include <stdexcept>

#include "data/errors.h"

namespace talvex::data {

QuerySlot::QuerySlot(std::string name, Connection& connection, Sql default_statement,
                     std::vector<Binding> bindings)
    : name_(std::move(name)),
      connection_(connection),
      statement_(std::move(default_statement)),
      bindings_(std::move(bindings)) {}

void QuerySlot::clear() {
  active_ = false;
  result_ = {};
  statement_.reset();
}

void QuerySlot::reload(const Sql& statement) {
  clear();
  statement_ = statement;
  open();
}

void QuerySlot::open() {
  if (active_)
    return;
  ResultTable result = connection_.query(statement_ ? *statement_ : Sql(""));
  for (const Binding& b : bindings_) {
    if (result.column_index(b.column) < 0) {
      throw DataError(b.field_name + ": Field '" + b.column + "' not found");
    }
  }
  result_ = std::move(result);
  current_ = 0;
  active_ = true;
  if (observer_)
    observer_(*this);
}

std::string QuerySlot::text(std::string_view column) const {
  const bool bound = std::any_of(bindings_.begin(), bindings_.end(),
                                 [&](const Binding& b) { return b.column == column; });
  if (!bound)
    throw std::logic_error(name_ + " does not read column '" + std::string(column) + "'");
  if (!active_ || result_.rows.empty())
    return {};
  const int c = result_.column_index(column);
  return result_.rows[current_][static_cast<std::size_t>(c)];
}

void QuerySlot::move_to(std::size_t row) {
  if (!active_ || row >= result_.rows.size())
    throw DataError(name_ + ": no row " + std::to_string(row));
  current_ = row;
}

const std::string& QuerySlot::text(std::size_t row, std::string_view column) const {
  const int c = result_.column_index(column);
  if (c < 0)
    throw DataError("Field '" + std::string(column) + "' not found");
  return result_.rows.at(row)[static_cast<std::size_t>(c)];
}

}  // namespace talvex::data
