#include "tickets/line_items.h"

#include <map>
#include <set>

#include "data/integer_parse.h"
#include "tickets/checked_math.h"
#include "tickets/menu_rows.h"
#include "tickets/texts.h"

namespace talvex::tickets {
namespace {

using data::Sql;
using data::value;

struct OrderLine {
  std::string kolvo;
  std::string price;
};

}  // namespace

LineItems fold_line_items(data::Database& db) {
  const std::string order = db.order.text("id");

  // The order's lines in ascending id. Without a first and a last line id there is nothing to
  // fold: an order without lines fails on the empty id.
  db.lines.reload(Sql("select * from podzakaz where zakaz='") + value(order) + "' ORDER BY id ASC");
  data::parse_int(db.lines.text("id"));
  data::parse_int(db.lines.text(db.lines.row_count() - 1, "id"));

  // The menu's last and first id: an empty menu fails here, whatever the order holds.
  db.menu.reload("select * from menu ORDER BY id DESC limit 1");
  data::parse_int(db.menu.text("id"));
  db.menu.reload("select * from menu ORDER BY id ASC limit 1");
  data::parse_int(db.menu.text("id"));

  // The lines that count, by their `menu` text, each item's in ascending line id.
  std::map<std::string, std::vector<OrderLine>> lines_of_item;
  for (std::size_t r = 0; r < db.lines.row_count(); ++r) {
    if (db.lines.text(r, "zakaz") == order)
      lines_of_item[db.lines.text(r, "menu")].push_back(
          {db.lines.text(r, "kolvo"), db.lines.text(r, "price")});
  }
  LineItems out;
  if (lines_of_item.empty())
    return out;

  std::set<std::string> ids;
  for (const auto& entry : lines_of_item)
    ids.insert(entry.first);
  load_menu_rows(db, ids);

  // Item by item in ascending menu id, line by line, converting and summing in the order a visit
  // of every id would, so that the first failure is the same.
  for (std::size_t r = 0; r < db.menu.row_count(); ++r) {
    const auto lines = lines_of_item.find(db.menu.text(r, "id"));
    if (lines == lines_of_item.end())
      continue;
    LineItem item{db.menu.text(r, "name")};
    for (const OrderLine& line : lines->second) {
      item.quantity = checked_add(item.quantity, data::parse_int(line.kolvo));
      item.price = data::parse_int(line.price);
    }
    if (item.quantity <= 0)
      continue;
    item.sum = checked_multiply(item.price, item.quantity);
    out.total = checked_add(out.total, item.sum);
    out.items.push_back(std::move(item));
  }
  return out;
}

void draw_line_item(Page& page, const LineItem& item) {
  page.text(0, characters(item.name, 0, 15));
  page.text(240, std::to_string(item.quantity));
  page.text(290, "X");
  page.text(320, std::to_string(item.price));
  page.text(400, "=");
  page.text(430, money_text(item.sum));
  page.skip(30);
  const std::string continuation = characters(item.name, 15, 30);
  if (!continuation.empty())
    page.line(0, continuation, 30);
}

}  // namespace talvex::tickets
