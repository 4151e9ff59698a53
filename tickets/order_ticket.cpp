#include "tickets/order_ticket.h"

#include <set>
#include <string>
#include <vector>

#include "data/integer_parse.h"
#include "tickets/checked_math.h"
#include "tickets/menu_rows.h"
#include "tickets/page.h"
#include "tickets/texts.h"
#include "tickets/ticket_frame.h"

namespace talvex::tickets {
namespace {

using data::Sql;
using data::value;

enum class Ticket { Printer, Control };

// The order's lines that count on the ticket, before their menu item is known: lines of the job's
// order and sub-order and, on a printer ticket, of this printer. Every comparison is of whole
// texts.
struct CountingLine {
  std::string menu;
  std::string kolvo;
};

std::vector<CountingLine> counting_lines(data::Database& db, Ticket kind) {
  data::QuerySlot& lines = db.lines;
  lines.reload(Sql("select * from podzakaz WHERE zakaz='") + value(db.queue.text("zakaz")) +
               "' ORDER BY id ASC");
  const std::string printer = db.printers.text("id"), order = db.queue.text("zakaz"),
                    sub_order = db.job.text("podzakaz");
  std::vector<CountingLine> out;
  for (std::size_t r = 0; r < lines.row_count(); ++r) {
    if (lines.text(r, "id").empty())
      continue;
    if (kind == Ticket::Printer && lines.text(r, "printer") != printer)
      continue;
    if (lines.text(r, "zakaz") != order || lines.text(r, "podzakaz") != sub_order)
      continue;
    out.push_back({lines.text(r, "menu"), lines.text(r, "kolvo")});
  }
  return out;
}

// One line per menu item, in ascending menu id: the whole name at x = 0 and the summed quantity at
// x = 500. An item whose quantities add up to 0 or less prints nothing.
void draw_items(data::Database& db, Page& page, Ticket kind) {
  const std::vector<CountingLine> lines = counting_lines(db, kind);
  if (lines.empty())
    return;

  // The menu rows these lines name; the match itself is again by whole text.
  std::set<std::string> ids;
  for (const CountingLine& l : lines)
    ids.insert(l.menu);
  load_menu_rows(db, ids);

  for (std::size_t r = 0; r < db.menu.row_count(); ++r) {
    const std::string& id = db.menu.text(r, "id");
    std::int32_t kolvo_p = 0;
    for (const CountingLine& l : lines) {
      if (l.menu == id)
        kolvo_p = checked_add(kolvo_p, data::parse_int(l.kolvo));
    }
    if (kolvo_p <= 0)
      continue;
    page.text(0, db.menu.text(r, "name"));
    page.size(12);
    page.text(500, std::to_string(kolvo_p));
    page.size(9);
    page.skip(40);
  }
}

// The ticket of the current `printers` row.
void print_ticket(JobContext& job, Ticket kind) {
  data::Database& db = job.db;
  const std::string done =
      (kind == Ticket::Control ? "control ticket on printer " : "ticket on printer ") +
      db.printers.text("id");
  const NextStep step = job.progress.next(done, job.printer);
  if (step == NextStep::Skip)
    return;

  db.job.reload(Sql("select * from print WHERE id='") + value(job.print_row_id) + "'");
  if (kind == Ticket::Control) {
    db.lines.reload(Sql("select * from podzakaz WHERE zakaz='") + value(db.queue.text("zakaz")) +
                    "' AND podzakaz='" + value(db.job.text("podzakaz")) + "' ");
  } else {
    db.lines.reload(Sql("select * from podzakaz WHERE printer='") + value(db.printers.text("id")) +
                    "' AND zakaz='" + value(db.queue.text("zakaz")) + "' AND podzakaz='" +
                    value(db.job.text("podzakaz")) + "' ");
  }
  if (db.lines.text("id").empty())
    return;  // nothing of the sub-order for this ticket

  db.order.reload(Sql("select * from zakaz where id='") + value(db.job.text("zakaz")) + "' ");
  db.table.reload(Sql("select * from tables where id='") + value(db.order.text("tables")) + "' ");
  db.hall.reload(Sql("select * from cat_tables where id='") + value(db.table.text("cat_tables")) +
                 "' ORDER BY id ASC limit 1");

  // An empty menu stops the job here, before the document begins.
  db.menu.reload("select * from menu ORDER BY id ASC limit 1");
  data::parse_int(db.menu.text("id"));
  db.menu.reload("select * from menu ORDER BY id DESC limit 1");
  data::parse_int(db.menu.text("id"));

  job.printer.set_printer_index(data::parse_int(db.printers.text("port")));
  Page page(job.printer);
  start_document(page, "Заказ", step);
  begin_ticket_header(page, job.settings, "Заказ № " + db.job.text("zakaz"));
  draw_info_line(page, "Подзаказ №: " + db.job.text("podzakaz"));
  draw_info_line(page, "Открытие: " + time_text(db.order.text("date_open")));
  draw_info_line(page, "Официант: " + db.order.text("waitres"));
  draw_info_line(page, "Зал: " + db.hall.text("name"));
  draw_info_line(page, "Стол: " + db.table.text("name"));
  end_ticket_header(page, db.printers.text("name"));

  draw_items(db, page, kind);

  page.skip(30);
  page.size(9);
  page.line(0, kSectionSeparator, 30);
  draw_ticket_footer(page);
  send_document(job, page, done);
}

}  // namespace

void print_order_tickets(JobContext& job) {
  data::Database& db = job.db;
  job.set_queue_countdown(300);

  // Every printer row in ascending id; an empty table fails on its missing first id.
  data::QuerySlot& printers = db.printers;
  printers.reload("select * from printers ORDER BY id ASC");
  data::parse_int(db.printers.text("id"));
  data::parse_int(printers.text(printers.row_count() - 1, "id"));

  for (std::size_t r = 0; r < printers.row_count(); ++r) {
    printers.move_to(r);
    const std::string name = db.printers.text("name");
    if (job.settings.control_printer == "1" && name == "CONTROL")
      print_ticket(job, Ticket::Control);
    if (name != "KASSA" && name != "CONTROL")
      print_ticket(job, Ticket::Printer);
  }

  mark_printed(job);
  job.set_queue_countdown(2);
}

}  // namespace talvex::tickets
