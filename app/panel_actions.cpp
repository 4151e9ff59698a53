#include "app/panel_actions.h"

namespace talvex::app {

std::vector<std::pair<platform::PanelButton, std::function<void()>>> panel_actions(
    std::function<PrintService*()> service) {
  using platform::PanelButton;
  const auto on = [service](std::function<void(PrintService&)> action) {
    return [service, action] {
      if (PrintService* s = service())
        action(*s);
    };
  };
  return {
      {PanelButton::Kassa, on([](PrintService& s) { s.test_print_on_role("KASSA"); })},
      {PanelButton::Bar, on([](PrintService& s) { s.test_print_on_role("BAR"); })},
      {PanelButton::Kitchen, on([](PrintService& s) { s.test_print_on_role("KITCHEN"); })},
      {PanelButton::Control, on([](PrintService& s) { s.test_print_on_role("CONTROL"); })},
      {PanelButton::PrintOnChosenPort, on([](PrintService& s) { s.test_print_on_chosen_port(); })},
      {PanelButton::Hide, on([](PrintService& s) { s.hide_panel(); })},
      {PanelButton::Close, on([](PrintService& s) { s.close(); })},
      {PanelButton::PrinterList, on([](PrintService& s) { s.show_printer_list(); })},
  };
}

}  // namespace talvex::app
