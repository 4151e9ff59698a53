#include "tickets/order_ticket.h"

#include <set>
#include <string>
#include <vector>

#include "data/integer_parse.h"
#include "tickets/checked_math.h"
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
  data::QuerySlot& lines = db.UniQuery(6);
  lines.reload(Sql("select * from podzakaz WHERE zakaz='") + value(db.DBMemo(8)) +
               "' ORDER BY id ASC");
  const std::string printer = db.DBMemo(42), order = db.DBMemo(8), sub_order = db.DBMemo(10);
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

  // The menu rows these lines name, in one statement; the match itself is again by whole text.
  std::set<std::string> ids;
  for (const CountingLine& l : lines)
    ids.insert(l.menu);
  Sql statement("select * from menu WHERE id IN (");
  for (auto id = ids.begin(); id != ids.end(); ++id) {
    if (id != ids.begin())
      statement = statement + ",";
    statement = statement + "'" + value(*id) + "'";
  }
  data::QuerySlot& menu = db.UniQuery(10);
  menu.reload(statement + ") ORDER BY id ASC");

  for (std::size_t r = 0; r < menu.row_count(); ++r) {
    const std::string& id = menu.text(r, "id");
    std::int32_t kolvo_p = 0;
    for (const CountingLine& l : lines) {
      if (l.menu == id)
        kolvo_p = checked_add(kolvo_p, data::parse_int(l.kolvo));
    }
    if (kolvo_p <= 0)
      continue;
    page.text(0, menu.text(r, "name"));
    page.size(12);
    page.text(500, std::to_string(kolvo_p));
    page.size(9);
    page.skip(40);
  }
}

// The ticket of the printer row UniQuery1 stands on.
void print_ticket(JobContext& job, Ticket kind) {
  data::Database& db = job.db;
  const std::string done =
      (kind == Ticket::Control ? "control ticket on printer " : "ticket on printer ") +
      db.DBMemo(42);
  if (job.progress.printed(done))
    return;

  db.UniQuery(4).reload(Sql("select * from print WHERE id='") + value(job.print_id) + "'");
  if (kind == Ticket::Control) {
    db.UniQuery(6).reload(Sql("select * from podzakaz WHERE zakaz='") + value(db.DBMemo(8)) +
                          "' AND podzakaz='" + value(db.DBMemo(10)) + "' ");
  } else {
    db.UniQuery(6).reload(Sql("select * from podzakaz WHERE printer='") + value(db.DBMemo(42)) +
                          "' AND zakaz='" + value(db.DBMemo(8)) + "' AND podzakaz='" +
                          value(db.DBMemo(10)) + "' ");
  }
  if (db.DBMemo(22).empty())
    return;  // nothing of the sub-order for this ticket

  db.UniQuery(5).reload(Sql("select * from zakaz where id='") + value(db.DBMemo(13)) + "' ");
  db.UniQuery(7).reload(Sql("select * from tables where id='") + value(db.DBMemo(20)) + "' ");
  db.UniQuery(8).reload(Sql("select * from cat_tables where id='") + value(db.DBMemo(33)) +
                        "' ORDER BY id ASC limit 1");

  // An empty menu stops the job here, before the document begins.
  db.UniQuery(10).reload("select * from menu ORDER BY id ASC limit 1");
  data::parse_int(db.DBMemo(39));
  db.UniQuery(10).reload("select * from menu ORDER BY id DESC limit 1");
  data::parse_int(db.DBMemo(39));

  job.printer.set_printer_index(data::parse_int(db.DBMemo(1)));
  Page page(job.printer);
  page.start("Заказ");
  begin_ticket_header(page, job.settings, "Заказ № " + db.DBMemo(13));
  draw_info_line(page, "Подзаказ №: " + db.DBMemo(10));
  draw_info_line(page, "Открытие: " + time_text(db.DBMemo(15)));
  draw_info_line(page, "Официант: " + db.DBMemo(21));
  draw_info_line(page, "Зал: " + db.DBMemo(34));
  draw_info_line(page, "Стол: " + db.DBMemo(32));
  end_ticket_header(page, db.DBMemo(2));

  draw_items(db, page, kind);

  page.skip(30);
  page.size(9);
  page.line(0, kSectionSeparator, 30);
  draw_ticket_footer(page);
  page.end();
  job.progress.mark_printed(done);
}

}  // namespace

void print_order_tickets(JobContext& job) {
  data::Database& db = job.db;
  job.set_tmr(300);

  // Every printer row in ascending id; an empty table fails on its missing first id.
  data::QuerySlot& printers = db.UniQuery(1);
  printers.reload("select * from printers ORDER BY id ASC");
  data::parse_int(db.DBMemo(42));
  data::parse_int(printers.text(printers.row_count() - 1, "id"));

  for (std::size_t r = 0; r < printers.row_count(); ++r) {
    printers.move_to(r);
    const std::string name = db.DBMemo(2);
    if (job.settings.control_printer == "1" && name == "CONTROL")
      print_ticket(job, Ticket::Control);
    if (name != "KASSA" && name != "CONTROL")
      print_ticket(job, Ticket::Printer);
  }

  db.UniSQL1.execute(Sql("UPDATE `print` SET status='yes' WHERE id='") + value(job.print_id) + "'");
  job.set_tmr(2);
}

}  // namespace talvex::tickets
