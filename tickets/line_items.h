#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/database.h"
#include "tickets/page.h"

namespace talvex::tickets {

// A menu item of an order as a bill lists it: the summed quantity of the order's lines for it, the
// unit price of the last of those lines (highest line id) and the line sum.
struct LineItem {
  std::string name;
  std::int32_t quantity = 0;
  std::int32_t price = 0;
  std::int32_t sum = 0;
};

struct LineItems {
  std::vector<LineItem> items;  // ascending menu id; only items whose quantity is above 0
  std::int32_t total = 0;       // the sum of the line sums
};

// Folds the lines of the order in db.order's current row per menu item. A line counts for an item
// when its `menu` text is the menu row's `id` text and its `zakaz` text is the order's `id` text.
//
// Reads the order's lines with one statement, the menu's last and first row with two and the menu
// rows the lines name with one more, whatever the size of the menu or the spread of the line ids.
// It fails as visiting every menu id and every line id of the order's range one by one would, at
// the same place and with the same message: an order without lines and an empty menu with the
// integer message for the empty text, a counting line's `kolvo` or `price` that is not an integer
// with its text, and a quantity, line sum or total beyond 32 bits with "Integer overflow".
LineItems fold_line_items(data::Database& db);

// Draws an item at the cursor at 9 points: the first 15 characters of the name at x = 0, the
// quantity at 240, "X" at 290, the unit price at 320, "=" at 400 and the line sum's money text at
// 430; then, when the name is longer, its characters 16 to 45 on the next line.
void draw_line_item(Page& page, const LineItem& item);

}  // namespace talvex::tickets
