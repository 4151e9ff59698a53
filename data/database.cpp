#include "data/database.h"

#include <stdexcept>

#include "data/slot_definitions.h"

namespace talvex::data {

Database::Database(ConnectionParams params) : UniConnection1(std::move(params)) {
  for (int n = 1; n <= kQuerySlotCount; ++n) {
    std::vector<QuerySlot::Binding> bindings;
    for (const BoundFieldDef& f : kBoundFields) {
      if (f.slot == n) {
        bindings.push_back({"DBMemo" + std::to_string(f.number), std::string(f.column)});
      }
    }
    slots_.push_back(std::make_unique<QuerySlot>(
        "UniQuery" + std::to_string(n), UniConnection1,
        Sql::fixed(kDefaultStatements[static_cast<std::size_t>(n - 1)]), std::move(bindings)));
  }
}

QuerySlot& Database::UniQuery(int number) {
  if (number < 1 || number > kQuerySlotCount)
    throw std::out_of_range("no query slot " + std::to_string(number));
  return *slots_[static_cast<std::size_t>(number - 1)];
}

const QuerySlot& Database::UniQuery(int number) const {
  return const_cast<Database*>(this)->UniQuery(number);
}

std::string Database::DBMemo(int number) const {
  if (number < 1 || number > kBoundFieldCount)
    throw std::out_of_range("no bound field " + std::to_string(number));
  const BoundFieldDef& f = kBoundFields[static_cast<std::size_t>(number - 1)];
  return UniQuery(f.slot).field_text(f.column);
}

void Database::open_slots() {
  for (auto& slot : slots_)
    slot->open();
}

}  // namespace talvex::data
