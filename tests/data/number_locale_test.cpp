#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "data/display_text.h"
#include "tests/support/run_command.h"
#include "tests/support/temporary_folder.h"

namespace talvex::data {
namespace {

// The program takes its locale from the environment (the Qt application sets it), and a venue's
// computer may well run in Russian, whose decimal separator is a comma. The server still writes
// 1500.50, which must not read as 1500.
TEST(NumberText, ReadsTheSameUnderALocaleWithADecimalComma) {
  const testing::TemporaryFolder locales;
  testing::run_command(testing::shell_quote(testing::find_program("localedef")) +
                       " -i ru_RU -f UTF-8 " +
                       testing::shell_quote(locales.path() + "/ru_RU.UTF-8"));
  const char* old_path = std::getenv("LOCPATH");
  const std::string saved_path = old_path ? old_path : "";
  setenv("LOCPATH", locales.path().c_str(), 1);
  const std::string saved_locale = std::setlocale(LC_ALL, nullptr);
  ASSERT_NE(std::setlocale(LC_ALL, "ru_RU.UTF-8"), nullptr);
  // The locale really reads numbers with a comma.
  EXPECT_EQ(std::strtod("1500.50", nullptr), 1500.0);

  EXPECT_EQ(display_text(ColumnKind::Number, "1500.50"), "1500,5");
  EXPECT_EQ(display_text(ColumnKind::Number, "0.500"), "0,5");
  EXPECT_EQ(display_text(ColumnKind::Number, "1500.00"), "1500");
  EXPECT_EQ(general_number_text(-0.75), "-0,75");
  EXPECT_EQ(general_number_text(1.5e20), "1,5E20");

  std::setlocale(LC_ALL, saved_locale.c_str());
  if (old_path)
    setenv("LOCPATH", saved_path.c_str(), 1);
  else
    unsetenv("LOCPATH");
}

}  // namespace
}  // namespace talvex::data
