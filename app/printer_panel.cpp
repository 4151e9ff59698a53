#include "app/print_service.h"
#include "app/test_page.h"
#include "data/integer_parse.h"
#include "tickets/page.h"
#include "tickets/texts.h"
#include "tickets/ticket_frame.h"

namespace talvex::app {
namespace {

// The moment of printing as "dd mm yyyy hh:mm:ss".
std::string test_page_time(const platform::Clock& clock) {
  return tickets::format_seconds(clock.local_now_ms() / 1000, "dd mm yyyy hh:nn:ss");
}

}  // namespace

void PrintService::fill_port_chooser() {
  const std::size_t n = services_.printer.printers().size();
  for (std::size_t i = 0; i < n; ++i)
    services_.panel.add_port(std::to_string(i));
}

void PrintService::show_printer_list() {
  guarded([this] {
    // Filled anew with each printer's state; from now on each reading of the states updates it.
    printer_list_shown_ = true;
    printer_list_.reset();
    refresh_printer_states();
  });
}

void PrintService::test_print_on_role(std::string_view role) {
  guarded([this, role] {
    tickets::choose_printer_by_role(db, services_.printer, role);
    print_test_page(TestPageSizes::Role);
  });
}

void PrintService::test_print_on_chosen_port() {
  guarded([this] {
    // The printer line names the role whose port is the chosen index, however the index is
    // written ("1", "$1", "0x1").
    const std::int32_t index = data::parse_int(services_.panel.port_text());
    db.printers.reload(data::Sql("select * from printers where port='") + data::value(index) + "'");
    services_.printer.set_printer_index(index);
    print_test_page(TestPageSizes::ChosenIndex);
  });
}

void PrintService::print_test_page(TestPageSizes sizes) {
  const platform::BusyScope printing(services_.busy_notice, kPrintingReason);
  tickets::Page page(services_.printer);
  page.start(kTestPageTitle);
  draw_test_page(page, sizes, db.printers.text("name"), test_page_time(services_.clock));
  page.end();
}

}  // namespace talvex::app
