#pragma once

#include <string>
#include <string_view>

#include "data/database.h"
#include "platform/printer.h"
#include "tickets/page.h"
#include "tickets/settings.h"

namespace talvex::tickets {

// Runs of hyphen-minus: after the ticket header, after the item lines and totals, on the test page.
inline const std::string kHeaderSeparator(72, '-');
inline const std::string kSectionSeparator(70, '-');
inline const std::string kTestPageSeparator(60, '-');

// Loads the `printers` row of `role` ("KASSA", "BAR", "KITCHEN", "CONTROL") into the printers slot
// and selects the installed printer whose index its `port` gives. Fails with the integer message
// when the role has no row or its port is not a number, before any document begins.
void choose_printer_by_role(data::Database& db, platform::Printer& printer, std::string_view role);

// The ticket header every job document begins with, from top 0, in three steps so that each
// value is read and converted at its line: begin_ticket_header() draws the organisation and venue
// title at the positions the settings give, a blank line and the document line, and leaves 8
// points for the information lines; draw_info_line() draws one of them; end_ticket_header() draws
// the printer line and the header separator and leaves 9 points for the items.
void begin_ticket_header(Page& page, const Settings& settings, const std::string& document_line);
void draw_info_line(Page& page, const std::string& text);
void end_ticket_header(Page& page, const std::string& printer_name);

// The maker line and the telephone line that close every job document.
void draw_ticket_footer(Page& page);

}  // namespace talvex::tickets
