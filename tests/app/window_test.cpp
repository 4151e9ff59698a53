#include <gtest/gtest.h>

#include "app/error_text.h"
#include "tests/app/service_fixture.h"

namespace talvex::testing {
namespace {

class WindowTest : public ServiceTest {};

TEST_F(WindowTest, IconClickShowsThePanelOkHidesItCloseEndsTheProgram) {
  start();
  service->show_panel();
  EXPECT_EQ(panel.size, std::make_pair(330, 350));
  service->show_panel();
  EXPECT_EQ(panel.size, std::make_pair(330, 350));
  service->hide_panel();
  EXPECT_EQ(panel.size, std::make_pair(0, 0));
  EXPECT_FALSE(panel.closed);
  service->close();
  EXPECT_TRUE(panel.closed);
}

TEST_F(WindowTest, FailedStartUpOpenIsNotCaught) {
  change_schema("RENAME TABLE menu TO menu_away", "RENAME TABLE menu_away TO menu");
  EXPECT_THROW(service->open_database(), data::DataError);
}

struct BoxCase {
  const char* message;
  const char* shown;
};

TEST(ErrorBoxText, AppendsAFullStopOnlyAfterCharactersBeyondIt) {
  const BoxCase cases[] = {
      {"Printing in progress", "Printing in progress."},
      {"Done.", "Done."},
      {"Failed (code 5)", "Failed (code 5)"},
      {"Stop!", "Stop!"},
      {"Trailing space ", "Trailing space "},
      {"Ends with a colon:", "Ends with a colon:."},
      {"Code 42", "Code 42."},
      {"Нет бумаги", "Нет бумаги."},
      {"", ""},
  };
  for (const BoxCase& c : cases)
    EXPECT_EQ(app::error_box_text(c.message), c.shown) << c.message;
}

TEST(ErrorBoxText, ShowsTheInnermostNonEmptyMessage) {
  try {
    try {
      throw std::runtime_error("Printer selected is not valid");
    } catch (...) {
      std::throw_with_nested(std::runtime_error(""));
    }
  } catch (const std::exception& e) {
    EXPECT_EQ(app::error_box_text(e), "Printer selected is not valid.");
  }
}

}  // namespace
}  // namespace talvex::testing
