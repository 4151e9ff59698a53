#include "bench/per_id_plan.h"

#include <algorithm>
#include <chrono>

#include "data/integer_parse.h"

namespace talvex::bench {
namespace {

using data::Sql;
using data::value;
using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Sends the plan's statements and keeps its figures.
struct Plan {
  void read(data::QuerySlot& slot, const Sql& statement) {
    slot.reload(statement);
    ++run.statements;
  }

  // Visits the menu ids from `first` to `last`, up to the limit, and times the visits apart.
  template <typename Visit>
  void menu_loop(std::int32_t first, std::int32_t last, Visit visit) {
    run.menu_ids = std::max(0, last - first + 1);
    const int ids = std::min(run.menu_ids, menu_id_limit > 0 ? menu_id_limit : run.menu_ids);
    const std::int64_t before = run.statements;
    const Clock::time_point start = Clock::now();
    for (int k = 0; k < ids; ++k)
      visit(first + k);
    run.loop_seconds = seconds_since(start);
    run.loop_statements = run.statements - before;
    run.menu_ids_run = ids;
  }

  data::Database& db;
  int menu_id_limit;  // 0: every menu id
  PlanRun run;
};

// The order's items: range reads, then every menu id and, for each menu row, every line id.
void read_items(Plan& plan) {
  data::Database& db = plan.db;
  const std::string order = db.order.text("id");
  plan.read(db.lines, Sql("select * from podzakaz where zakaz='") + value(order) +
                          "' ORDER BY id ASC limit 1");
  const std::int32_t first_line = data::parse_int(db.lines.text("id"));
  plan.read(db.lines, Sql("select * from podzakaz where zakaz='") + value(order) +
                          "'  ORDER BY id DESC limit 1");
  const std::int32_t last_line = data::parse_int(db.lines.text("id"));
  plan.read(db.menu, "select * from menu ORDER BY id DESC limit 1");
  const std::int32_t last_menu = data::parse_int(db.menu.text("id"));
  plan.read(db.menu, "select * from menu ORDER BY id ASC limit 1");
  const std::int32_t first_menu = data::parse_int(db.menu.text("id"));

  plan.menu_loop(first_menu, last_menu, [&](std::int32_t menu_id) {
    plan.read(db.menu, Sql("select * from menu WHERE id='") + value(menu_id) + "'");
    if (db.menu.text("id").empty())
      return;
    for (std::int32_t i = first_line; i <= last_line; ++i)
      plan.read(db.lines, Sql("select * from podzakaz where id='") + value(i) + "' ");
  });
}

// Every payment id of the order's range, and the type of each payment that prints.
void read_payments(Plan& plan) {
  data::Database& db = plan.db;
  const std::string order = db.order.text("id");
  plan.read(db.payments,
            Sql("select * from pay where zakaz='") + value(order) + "' ORDER BY id ASC limit 1");
  const std::int32_t first = data::parse_int(db.payments.text("id"));
  plan.read(db.payments,
            Sql("select * from pay where zakaz='") + value(order) + "' ORDER BY id DESC limit 1");
  const std::int32_t last = data::parse_int(db.payments.text("id"));
  for (std::int32_t i = first; i <= last; ++i) {
    plan.read(db.payments,
              Sql("select * from pay where id='") + value(i) + "' ORDER BY id DESC limit 1");
    if (db.payments.text("zakaz") != order || db.payments.text("cash_pay") == "0")
      continue;
    plan.read(db.payment_type, Sql("select * from type_pay where id='") +
                                   value(db.payments.text("type_pay")) + "' ");
  }
}

}  // namespace

double PlanRun::full_statements() const {
  if (menu_ids_run == 0)
    return static_cast<double>(statements);
  return static_cast<double>(statements - loop_statements) +
         static_cast<double>(loop_statements) * menu_ids / menu_ids_run;
}

double PlanRun::full_seconds() const {
  if (menu_ids_run == 0)
    return seconds;
  return seconds - loop_seconds + loop_seconds * menu_ids / menu_ids_run;
}

PlanRun read_bill_copy_per_id(data::Database& db, const std::string& print_row_id,
                              std::string_view role, bool receipt, int menu_id_limit) {
  Plan plan{db, menu_id_limit, {}};
  const Clock::time_point start = Clock::now();
  plan.read(db.printers, Sql("select * from printers where name='") + value(role) + "'");
  plan.read(db.job, Sql("select * from print where id='") + value(print_row_id) +
                        "' ORDER BY id ASC limit 1");
  plan.read(db.order, Sql("select * from zakaz where id='") + value(db.job.text("zakaz")) + "' ");
  plan.read(db.table,
            Sql("select * from tables where id='") + value(db.order.text("tables")) + "' ");
  plan.read(db.hall, Sql("select * from cat_tables where id='") +
                         value(db.table.text("cat_tables")) + "' ORDER BY id ASC limit 1");
  read_items(plan);
  if (!db.order.text("client").empty()) {
    plan.read(db.client,
              Sql("select * from clients where id='") + value(db.order.text("client")) + "' ");
  }
  if (receipt)
    read_payments(plan);
  plan.run.seconds = seconds_since(start);
  return plan.run;
}

PlanRun read_order_ticket_per_id(data::Database& db, const std::string& print_row_id, bool control,
                                 int menu_id_limit) {
  Plan plan{db, menu_id_limit, {}};
  const Clock::time_point start = Clock::now();
  const std::string order = db.queue.text("zakaz");
  plan.read(db.job, Sql("select * from print WHERE id='") + value(print_row_id) + "'");
  if (control) {
    plan.read(db.lines, Sql("select * from podzakaz WHERE zakaz='") + value(order) +
                            "' AND podzakaz='" + value(db.job.text("podzakaz")) + "' ");
  } else {
    plan.read(db.lines, Sql("select * from podzakaz WHERE printer='") +
                            value(db.printers.text("id")) + "' AND zakaz='" + value(order) +
                            "' AND podzakaz='" + value(db.job.text("podzakaz")) + "' ");
  }
  if (!db.lines.text("id").empty()) {
    plan.read(db.order, Sql("select * from zakaz where id='") + value(db.job.text("zakaz")) + "' ");
    plan.read(db.table,
              Sql("select * from tables where id='") + value(db.order.text("tables")) + "' ");
    plan.read(db.hall, Sql("select * from cat_tables where id='") +
                           value(db.table.text("cat_tables")) + "' ORDER BY id ASC limit 1");
    plan.read(db.menu, "select * from menu ORDER BY id ASC limit 1");
    const std::int32_t first_menu = data::parse_int(db.menu.text("id"));
    plan.read(db.menu, "select * from menu ORDER BY id DESC limit 1");
    const std::int32_t last_menu = data::parse_int(db.menu.text("id"));

    plan.menu_loop(first_menu, last_menu, [&](std::int32_t menu_id) {
      plan.read(db.menu, Sql("select * from menu WHERE id='") + value(menu_id) + "'");
      if (db.menu.text("id").empty())
        return;
      // The order's line range is read again for every menu row.
      plan.read(db.lines, Sql("select * from podzakaz WHERE zakaz='") + value(order) +
                              "' ORDER BY id ASC limit 1");
      const std::int32_t first_line = data::parse_int(db.lines.text("id"));
      plan.read(db.lines, Sql("select * from podzakaz WHERE zakaz='") + value(order) +
                              "' ORDER BY id DESC limit 1");
      const std::int32_t last_line = data::parse_int(db.lines.text("id"));
      for (std::int32_t i = first_line; i <= last_line; ++i)
        plan.read(db.lines, Sql("select * from podzakaz WHERE id='") + value(i) + "'");
    });
  }
  plan.run.seconds = seconds_since(start);
  return plan.run;
}

}  // namespace talvex::bench
