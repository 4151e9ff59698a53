#include "tickets/ticket_frame.h"

#include "data/integer_parse.h"

namespace talvex::tickets {

void choose_printer_by_role(data::Database& db, platform::Printer& printer, std::string_view role) {
  db.printers.reload(data::Sql("select * from printers where name='") + data::value(role) + "'");
  printer.set_printer_index(data::parse_int(db.printers.text("port")));
}

void begin_ticket_header(Page& page, const Settings& settings, const std::string& document_line) {
  page.size(16);
  page.line(data::parse_int(settings.name_check_left), settings.oragnization, 50);
  page.size(10);
  page.line(data::parse_int(settings.title_check_left), settings.titles, 50);
  page.size(8);
  page.line(0, "", 25);
  page.size(12);
  page.line(0, document_line, 50);
  page.size(8);
}

void draw_info_line(Page& page, const std::string& text) {
  page.line(0, text, 25);
}

void end_ticket_header(Page& page, const std::string& printer_name) {
  page.line(0, "Принтер " + printer_name, 25);
  page.line(0, kHeaderSeparator, 25);
  page.size(9);
}

void draw_ticket_footer(Page& page) {
  page.size(7);
  page.line(0, "Программа: TALVEX", 30);
  page.line(0, "Тел: +7 (700) 555 01 01", 30);
}

}  // namespace talvex::tickets
