#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/print_service.h"
#include "platform/cups/cups_print_system.h"
#include "platform/printer.h"
#include "tests/platform/printout.h"
#include "tests/platform/private_cups.h"
#include "tests/support/database_fixture.h"
#include "tests/support/fakes.h"

namespace talvex::testing {
namespace {

// The panel's test print on a chosen index, through the system printers of the private CUPS.
class CupsTestPageTest : public DatabaseTest {
 protected:
  static void SetUpTestSuite() {
    DatabaseTest::SetUpTestSuite();
    use_private_cups();
  }
};

TEST_F(CupsTestPageTest, ChosenIndexPrintsTheTestPageOnThatQueue) {
  // The role on port 1 names the page, which tells this test's job from any other on the queue.
  const std::string role = "ROLE-" + std::to_string(getpid());
  sql("INSERT INTO printers (id, name, port) VALUES (1, '" + role + "', 1)");

  platform::CupsPrintSystem system;
  platform::Printer printer(system);
  FakePanel panel;
  FakeMessageBox box;
  FakeClock clock;
  app::PrintService service(params(), app::Services{panel, printer, box, clock, "talvex"});
  service.open_database();
  service.start();
  panel.port = "1";
  service.test_print_on_chosen_port();
  ASSERT_TRUE(box.shown.empty()) << box.shown[0].text;

  const std::optional<CapturedJob> job = wait_for_job("Kassa-80", role);
  ASSERT_TRUE(job.has_value());
  EXPECT_EQ(job->title, "Тестовая печать...");
  // The page's text in drawing order, a line per drawn text.
  const std::string text =
      "\n" + run_command("pdftotext -raw " + shell_quote(job->document) + " - 2>/dev/null");
  const std::vector<std::string> lines = {"ZEPHYRA",
                                          "KALVO BAR",
                                          "Счет № 12344",
                                          "07 04 2015 09:46:40",
                                          "Принтер " + role,
                                          "1тут отображается заказ",
                                          "5 X 1000 = 5000 тг.",
                                          "Ждем Вас снова у нас!!!"};
  for (const std::string& line : lines) {
    EXPECT_NE(text.find("\n" + line + "\n"), std::string::npos) << line << " missing from:\n"
                                                                << text;
  }
}

}  // namespace
}  // namespace talvex::testing
