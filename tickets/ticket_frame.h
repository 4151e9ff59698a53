#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/database.h"
#include "platform/printer.h"
#include "tickets/page.h"
#include "tickets/settings.h"

namespace talvex::tickets {

// Runs of hyphen-minus: after the ticket header, after the item lines and totals, on the test page.
inline const std::string kHeaderSeparator(72, '-');
inline const std::string kSectionSeparator(70, '-');
inline const std::string kTestPageSeparator(60, '-');

// Loads the `printers` row of `role` ("KASSA", "BAR", "KITCHEN", "CONTROL") into UniQuery1 and
// selects the installed printer whose index its `port` gives. Fails with the integer message
// when the role has no row or its port is not a number, before any document begins.
void choose_printer_by_role(data::Database& db, platform::Printer& printer, std::string_view role);

// The lines every job document begins with, from top 0: organisation and venue title at the
// positions the settings give, a blank line, the document line, the information lines, the
// printer line and the header separator; it leaves the size at 9 points for the items.
struct TicketHeader {
  std::string document_line;
  std::vector<std::string> info_lines;
  std::string printer_name;
};
void draw_ticket_header(Page& page, const Settings& settings, const TicketHeader& header);

// The maker line and the telephone line that close every job document.
void draw_ticket_footer(Page& page);

}  // namespace talvex::tickets
