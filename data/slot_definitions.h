#pragma once

#include <array>
#include <string_view>

namespace talvex::data {

inline constexpr int kQuerySlotCount = 12;
inline constexpr int kBoundFieldCount = 43;

// The default statement of each query slot UniQuery1 ... UniQuery12, run when the service starts.
inline constexpr std::array<std::string_view, kQuerySlotCount> kDefaultStatements{{
    "select * from printers limit 1",
    "select * from settings limit 1",
    "select * from print limit 1",
    "select * from print limit 1",
    "select * from zakaz limit 1",
    "select * from podzakaz limit 1",
    "select * from tables limit 1",
    "select * from cat_tables limit 1",
    "select * from pay limit 1",
    "select * from menu limit 1",
    "select * from type_pay limit 1",
    "select * from clients limit 1",
}};

// Bound field DBMemo<number> shows `column` of the current row of query slot UniQuery<slot>.
struct BoundFieldDef {
  int number;
  int slot;
  std::string_view column;
};

inline constexpr std::array<BoundFieldDef, kBoundFieldCount> kBoundFields{{
    {1, 1, "port"},        {2, 1, "name"},      {3, 2, "value"},      {4, 3, "id"},
    {5, 3, "podzakaz"},    {6, 3, "status"},    {7, 3, "type"},       {8, 3, "zakaz"},
    {9, 4, "id"},          {10, 4, "podzakaz"}, {11, 4, "status"},    {12, 4, "type"},
    {13, 4, "zakaz"},      {14, 5, "id"},       {15, 5, "date_open"}, {16, 5, "date_close"},
    {17, 5, "client"},     {18, 5, "podzakaz"}, {19, 5, "status"},    {20, 5, "tables"},
    {21, 5, "waitres"},    {22, 6, "id"},       {23, 6, "kolvo"},     {24, 6, "menu"},
    {25, 6, "name_menu"},  {26, 6, "podzakaz"}, {27, 6, "price"},     {28, 6, "printer"},
    {29, 6, "waitres"},    {30, 6, "zakaz"},    {31, 7, "procent"},   {32, 7, "name"},
    {33, 7, "cat_tables"}, {34, 8, "name"},     {35, 9, "type_pay"},  {36, 9, "cash_pay"},
    {37, 9, "id"},         {38, 9, "zakaz"},    {39, 10, "id"},       {40, 10, "name"},
    {41, 11, "name"},      {42, 1, "id"},       {43, 12, "discount"},
}};

// The table is indexed by number - 1; keep it so.
constexpr bool bound_fields_in_order() {
  for (std::size_t i = 0; i < kBoundFields.size(); ++i) {
    if (kBoundFields[i].number != static_cast<int>(i) + 1)
      return false;
  }
  return true;
}
static_assert(bound_fields_in_order());

}  // namespace talvex::data
