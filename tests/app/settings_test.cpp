#include <gtest/gtest.h>

#include "tests/app/service_fixture.h"

namespace talvex::testing {
namespace {

using platform::PanelLabel;

class SettingsTest : public ServiceTest {};

TEST_F(SettingsTest, ReadsTheSevenSettingsInOrderAndShowsFour) {
  standard_settings("5");
  sql("UPDATE settings SET value='0' WHERE name='printer_total'");
  start();
  sent.clear();
  service->load_settings();

  std::vector<std::string> statements;
  for (const auto& s : sent)
    statements.push_back(s.text);
  EXPECT_EQ(statements, (std::vector<std::string>{
                            "select * from settings where name='oragnization'",
                            "select * from settings where name='title'",
                            "select * from settings where name='control_printer'",
                            "select * from settings where name='printer_timer'",
                            "select * from settings where name='printer_total'",
                            "select * from settings where name='name_check_left'",
                            "select * from settings where name='title_check_left'",
                        }));
  EXPECT_EQ(panel.label(PanelLabel::Organisation), "ТОО «Зефира»");
  EXPECT_EQ(panel.label(PanelLabel::ControlPrinter), "Контрольный принтер: 1");
  EXPECT_EQ(panel.label(PanelLabel::PrinterTimer), "Таймер печати: 5");
  EXPECT_EQ(panel.label(PanelLabel::PrinterTotal), "Сворачивание позиций: 0");
  const tickets::Settings& v = service->settings;
  EXPECT_EQ(v.titles, "Кафе");
  EXPECT_EQ(v.name_check_left, "60");
  EXPECT_EQ(v.title_check_left, "120");
}

TEST_F(SettingsTest, ValuesAreHeldAsTheDatabaseGivesThem) {
  standard_settings();
  sql("UPDATE settings SET value=' 1' WHERE name='control_printer'");
  start();
  service->load_settings();
  EXPECT_EQ(service->settings.control_printer, " 1");
  EXPECT_EQ(panel.label(PanelLabel::ControlPrinter), "Контрольный принтер:  1");
}

TEST_F(SettingsTest, MissingRowGivesAnEmptySettingAndTheCountdownReloadFails) {
  standard_settings("5");
  sql("DELETE FROM settings WHERE name='printer_timer'");
  start();
  tick(4);
  EXPECT_EQ(panel.label(PanelLabel::PrinterTimer), "Таймер печати: ");
  EXPECT_EQ(service->settings.printer_timer, "");
  EXPECT_TRUE(box.shown.empty());
  tick(6);
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].text, "'' is not a valid integer value.");
}

TEST_F(SettingsTest, FailingLookupKeepsWhatWasReadBeforeIt) {
  standard_settings("5");
  start();
  service->load_settings();
  sql("UPDATE settings SET value=CONCAT(value, '+')");

  service->db.connection.set_statement_observer([](const std::string& s) {
    if (s == "select * from settings where name='printer_timer'") {
      throw data::DataError("Lost connection to server during query");
    }
  });
  tick(4);
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].text, "Lost connection to server during query.");
  const tickets::Settings& v = service->settings;
  EXPECT_EQ(v.oragnization, "ТОО «Зефира»+");
  EXPECT_EQ(v.control_printer, "1+");
  EXPECT_EQ(v.printer_timer, "5");
  EXPECT_EQ(v.title_check_left, "120");
  EXPECT_EQ(panel.label(PanelLabel::PrinterTimer), "Таймер печати: 5");
  EXPECT_EQ(service->data_check_countdown, 10);
}

}  // namespace
}  // namespace talvex::testing
