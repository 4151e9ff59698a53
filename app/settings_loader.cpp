#include <array>
#include <string_view>

#include "app/form1.h"

namespace talvex::app {
namespace {

// The settings in the order they are read: the key, where the value is held, and the label that
// shows it (0 for none) with the text before the value.
struct SettingRow {
  std::string_view key;
  std::string tickets::Settings::*value;
  int label;
  std::string_view prefix;
};

constexpr std::array<SettingRow, 7> kSettingRows{{
    {"oragnization", &tickets::Settings::oragnization, 1, ""},
    {"title", &tickets::Settings::titles, 0, ""},
    {"control_printer", &tickets::Settings::control_printer, 2, "Контрольный принтер: "},
    {"printer_timer", &tickets::Settings::printer_timer, 3, "Таймер печати: "},
    {"printer_total", &tickets::Settings::printer_total, 4, "Сворачивание позиций: "},
    {"name_check_left", &tickets::Settings::name_check_left, 0, ""},
    {"title_check_left", &tickets::Settings::title_check_left, 0, ""},
}};

}  // namespace

void TForm1::settings() {
  db.connection.connect();
  for (const SettingRow& row : kSettingRows) {
    db.settings.reload(data::Sql("select * from settings where name='") + data::value(row.key) +
                       "'");
    std::string& held = setting_values.*row.value;
    held = db.settings.text("value");
    if (row.label != 0)
      services_.panel.set_label(row.label, std::string(row.prefix) + held);
  }
}

}  // namespace talvex::app
