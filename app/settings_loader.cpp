#include <array>
#include <optional>
#include <string_view>

#include "app/print_service.h"

namespace talvex::app {
namespace {

// The settings in the order they are read: the key, where the value is held, and the label that
// shows it (if any) with the text before the value.
struct SettingRow {
  std::string_view key;
  std::string tickets::Settings::*value;
  std::optional<platform::PanelLabel> label;
  std::string_view prefix;
};

constexpr std::array<SettingRow, 7> kSettingRows{{
    {"oragnization", &tickets::Settings::oragnization, platform::PanelLabel::Organisation, ""},
    {"title", &tickets::Settings::titles, std::nullopt, ""},
    {"control_printer", &tickets::Settings::control_printer, platform::PanelLabel::ControlPrinter,
     "Контрольный принтер: "},
    {"printer_timer", &tickets::Settings::printer_timer, platform::PanelLabel::PrinterTimer,
     "Таймер печати: "},
    {"printer_total", &tickets::Settings::printer_total, platform::PanelLabel::PrinterTotal,
     "Сворачивание позиций: "},
    {"name_check_left", &tickets::Settings::name_check_left, std::nullopt, ""},
    {"title_check_left", &tickets::Settings::title_check_left, std::nullopt, ""},
}};

}  // namespace

void PrintService::load_settings() {
  db.connection.connect();
  for (const SettingRow& row : kSettingRows) {
    db.settings.reload(data::Sql("select * from settings where name='") + data::value(row.key) +
                       "'");
    std::string& held = settings.*row.value;
    held = db.settings.text("value");
    if (row.label)
      services_.panel.set_label(*row.label, std::string(row.prefix) + held);
  }
}

}  // namespace talvex::app
