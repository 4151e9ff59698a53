#include "data/database.h"

#include <string>
#include <vector>

namespace talvex::data {
namespace {

QuerySlot make_slot(Connection& connection, Slot which) {
  const SlotDefinition& definition = kSlots[static_cast<std::size_t>(which)];
  std::vector<QuerySlot::Binding> bindings;
  for (const BoundColumn& b : kBoundColumns) {
    if (b.slot == which)
      bindings.push_back({std::string(b.column), std::string(b.field_name)});
  }
  return QuerySlot(std::string(definition.name), connection,
                   Sql::fixed(definition.default_statement), std::move(bindings));
}

}  // namespace

Database::Database(ConnectionParams params)
    : connection(std::move(params)),
      printers(make_slot(connection, Slot::printers)),
      settings(make_slot(connection, Slot::settings)),
      queue(make_slot(connection, Slot::queue)),
      job(make_slot(connection, Slot::job)),
      order(make_slot(connection, Slot::order)),
      lines(make_slot(connection, Slot::lines)),
      table(make_slot(connection, Slot::table)),
      hall(make_slot(connection, Slot::hall)),
      payments(make_slot(connection, Slot::payments)),
      menu(make_slot(connection, Slot::menu)),
      payment_type(make_slot(connection, Slot::payment_type)),
      client(make_slot(connection, Slot::client)) {}

QuerySlot& Database::slot(Slot which) {
  QuerySlot* const all[] = {&printers, &settings, &queue,    &job,  &order,        &lines,
                            &table,    &hall,     &payments, &menu, &payment_type, &client};
  static_assert(sizeof all / sizeof all[0] == kSlotCount);
  return *all[static_cast<std::size_t>(which)];
}

void Database::open_slots() {
  for (const SlotDefinition& definition : kSlots)
    slot(definition.slot).open();
}

}  // namespace talvex::data
