#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace talvex::data {

// The query slots, in the order the service opens them at start.
enum class Slot : std::size_t {
  printers,      // `printers` rows: one role's row, or every row for the order tickets
  settings,      // one `settings` row
  queue,         // the waiting `print` rows
  job,           // the `print` row of the job being printed
  order,         // `zakaz`
  lines,         // `podzakaz`, the order's lines
  table,         // `tables`
  hall,          // `cat_tables`
  payments,      // `pay`
  menu,          // `menu`
  payment_type,  // `type_pay`
  client,        // `clients`
};

inline constexpr std::size_t kSlotCount = 12;

struct SlotDefinition {
  Slot slot;
  // The slot's name in the failures that are the code's own, not the operator's: a column the
  // code asks of a slot that does not read it ("lines does not read column 'x'"), a row past the
  // end ("lines: no row 3"). Never shown as a field name; those are kBoundColumns'.
  std::string_view name;
  // Run when the service starts, so that every slot is open and its columns are checked once.
  std::string_view default_statement;
};

inline constexpr std::array<SlotDefinition, kSlotCount> kSlots{{
    {Slot::printers, "printers", "select * from printers limit 1"},
    {Slot::settings, "settings", "select * from settings limit 1"},
    {Slot::queue, "queue", "select * from print limit 1"},
    {Slot::job, "job", "select * from print limit 1"},
    {Slot::order, "order", "select * from zakaz limit 1"},
    {Slot::lines, "lines", "select * from podzakaz limit 1"},
    {Slot::table, "table", "select * from tables limit 1"},
    {Slot::hall, "hall", "select * from cat_tables limit 1"},
    {Slot::payments, "payments", "select * from pay limit 1"},
    {Slot::menu, "menu", "select * from menu limit 1"},
    {Slot::payment_type, "payment_type", "select * from type_pay limit 1"},
    {Slot::client, "client", "select * from clients limit 1"},
}};

// The columns each slot reads. A slot whose result lacks one of them does not open, and the
// failure names the column's field as the operator has always seen it ("DBMemo6: Field 'status'
// not found"); those field names are kept here and nowhere else.
struct BoundColumn {
  Slot slot;
  std::string_view column;
  std::string_view field_name;
};

inline constexpr std::array<BoundColumn, 43> kBoundColumns{{
    {Slot::printers, "port", "DBMemo1"},
    {Slot::printers, "name", "DBMemo2"},
    {Slot::settings, "value", "DBMemo3"},
    {Slot::queue, "id", "DBMemo4"},
    {Slot::queue, "podzakaz", "DBMemo5"},
    {Slot::queue, "status", "DBMemo6"},
    {Slot::queue, "type", "DBMemo7"},
    {Slot::queue, "zakaz", "DBMemo8"},
    {Slot::job, "id", "DBMemo9"},
    {Slot::job, "podzakaz", "DBMemo10"},
    {Slot::job, "status", "DBMemo11"},
    {Slot::job, "type", "DBMemo12"},
    {Slot::job, "zakaz", "DBMemo13"},
    {Slot::order, "id", "DBMemo14"},
    {Slot::order, "date_open", "DBMemo15"},
    {Slot::order, "date_close", "DBMemo16"},
    {Slot::order, "client", "DBMemo17"},
    {Slot::order, "podzakaz", "DBMemo18"},
    {Slot::order, "status", "DBMemo19"},
    {Slot::order, "tables", "DBMemo20"},
    {Slot::order, "waitres", "DBMemo21"},
    {Slot::lines, "id", "DBMemo22"},
    {Slot::lines, "kolvo", "DBMemo23"},
    {Slot::lines, "menu", "DBMemo24"},
    {Slot::lines, "name_menu", "DBMemo25"},
    {Slot::lines, "podzakaz", "DBMemo26"},
    {Slot::lines, "price", "DBMemo27"},
    {Slot::lines, "printer", "DBMemo28"},
    {Slot::lines, "waitres", "DBMemo29"},
    {Slot::lines, "zakaz", "DBMemo30"},
    {Slot::table, "procent", "DBMemo31"},
    {Slot::table, "name", "DBMemo32"},
    {Slot::table, "cat_tables", "DBMemo33"},
    {Slot::hall, "name", "DBMemo34"},
    {Slot::payments, "type_pay", "DBMemo35"},
    {Slot::payments, "cash_pay", "DBMemo36"},
    {Slot::payments, "id", "DBMemo37"},
    {Slot::payments, "zakaz", "DBMemo38"},
    {Slot::menu, "id", "DBMemo39"},
    {Slot::menu, "name", "DBMemo40"},
    {Slot::payment_type, "name", "DBMemo41"},
    {Slot::printers, "id", "DBMemo42"},
    {Slot::client, "discount", "DBMemo43"},
}};

// kSlots is indexed by Slot; keep it so.
constexpr bool slots_in_order() {
  for (std::size_t i = 0; i < kSlots.size(); ++i) {
    if (static_cast<std::size_t>(kSlots[i].slot) != i)
      return false;
  }
  return true;
}
static_assert(slots_in_order());

}  // namespace talvex::data
