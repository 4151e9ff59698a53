#pragma once

#include <set>
#include <string>

#include "data/database.h"

namespace talvex::tickets {

// Loads into db.menu, with one statement, the menu rows whose id is one of `ids` (the `menu` texts
// of an order's lines; not empty), in ascending id. A line belongs to a row only when its text
// equals the row's id text: "05" finds row 5 here, yet is not its text.
void load_menu_rows(data::Database& db, const std::set<std::string>& ids);

}  // namespace talvex::tickets
