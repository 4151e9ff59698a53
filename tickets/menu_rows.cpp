#include "tickets/menu_rows.h"

namespace talvex::tickets {

void load_menu_rows(data::Database& db, const std::set<std::string>& ids) {
  db.menu.reload(data::Sql("select * from menu WHERE id IN (") + ids + ") ORDER BY id ASC");
}

}  // namespace talvex::tickets
