#pragma once

#include <string>

#include "data/connection.h"

namespace talvex::bench {

// The shape of a busy evening. Orders are taken in waves of concurrent orders whose lines are
// entered in turns, so that one order's line ids lie `line_span` ids apart from first to last
// with the lines of the other orders of its wave in between.
struct EveningShape {
  int menu_items = 300;  // menu ids 1 to menu_items, none missing
  int line_span = 20;    // from an order's first line id to its last, both counted
  int orders = 420;
  int lines_per_order = 20;  // each of a different menu item
};

// The order whose documents are measured, and the queue rows of its jobs.
struct MeasuredOrder {
  int order = 0;
  std::string order_ticket_row;  // "podzakaz" job of its first sub-order
  std::string precheck_row;      // "predcheck" job
  std::string receipt_row;       // "zakaz_close" job
  int line_span = 0;             // as found in the database
  int payment_span = 0;          // from the order's first payment id to its last
  int concurrent_orders = 0;     // orders per wave
};

// Empties the venue's tables of the database that `c` is connected to and fills them with the
// evening: printers KASSA, three production points (BAR, KITCHEN, GRILL) and CONTROL, halls,
// tables with service charges, clients with discounts, the menu, every order's lines in three
// sub-orders, its payments (card, cash and the change handed back) and its five queue rows, all
// printed already. A few statements over MariaDB's sequence tables write it all.
MeasuredOrder fill_evening(data::Connection& c, const EveningShape& shape);

}  // namespace talvex::bench
