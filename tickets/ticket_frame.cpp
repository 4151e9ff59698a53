#include "tickets/ticket_frame.h"

#include "data/integer_parse.h"

namespace talvex::tickets {

void choose_printer_by_role(data::Database& db, platform::Printer& printer, std::string_view role) {
  db.UniQuery(1).reload(data::Sql("select * from printers where name='") + data::value(role) + "'");
  printer.set_printer_index(data::parse_int(db.DBMemo(1)));
}

void draw_ticket_header(Page& page, const Settings& settings, const TicketHeader& header) {
  page.size(16);
  page.line(data::parse_int(settings.name_check_left), settings.oragnization, 50);
  page.size(10);
  page.line(data::parse_int(settings.title_check_left), settings.titles, 50);
  page.size(8);
  page.line(0, "", 25);
  page.size(12);
  page.line(0, header.document_line, 50);
  page.size(8);
  for (const std::string& info : header.info_lines)
    page.line(0, info, 25);
  page.line(0, "Принтер " + header.printer_name, 25);
  page.line(0, kHeaderSeparator, 25);
  page.size(9);
}

void draw_ticket_footer(Page& page) {
  page.size(7);
  page.line(0, "Программа: TALVEX", 30);
  page.line(0, "Тел: +7 (700) 555 01 01", 30);
}

}  // namespace talvex::tickets
