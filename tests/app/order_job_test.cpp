#include <gtest/gtest.h>

#include "tests/support/database_fixture.h"
#include "tests/support/fakes.h"
#include "tests/support/recording_print_system.h"

#include "app/print_service.h"

namespace talvex::testing {
namespace {

// The queue check hands a "podzakaz" row to the service's own order tickets.
class OrderJobTest : public DatabaseTest {
 protected:
  void SetUp() override {
    DatabaseTest::SetUp();
    sql("INSERT INTO settings (name, value) VALUES ('printer_timer', '5'), "
        "('name_check_left', '0'), ('title_check_left', '0'), ('control_printer', '0')");
    sql("INSERT INTO printers (id, name, port) VALUES (1, 'KASSA', 0), (2, 'BAR', 1), "
        "(4, 'KITCHEN', 2)");
    sql("INSERT INTO zakaz (id, date_open, tables, waitres) VALUES (10, 1428400000, 1, 'Максим')");
    sql("INSERT INTO menu (id, name) VALUES (1, 'Пиво'), (2, 'Шашлык')");
    sql("INSERT INTO podzakaz (zakaz, podzakaz, printer, menu, kolvo) VALUES "
        "(10, 1, 2, 1, 2), (10, 1, 4, 2, 1)");
    sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (100, 10, 1, 'podzakaz', "
        "'no')");
    service.open_database();
    service.start();
  }

  void tick(int n) {
    for (int i = 0; i < n; ++i) {
      service.data_check_tick();
      service.queue_check_tick();
    }
  }

  FakePanel panel;
  FakeMessageBox box;
  FakeClock clock;
  RecordingPrintSystem printers;
  platform::Printer printer{printers};
  RecordingBusyNotice notice{
      [this] { return "after " + std::to_string(printers.jobs.size()) + " printed"; }};
  app::PrintService service{params(), app::Services{.panel = panel,
                                                    .printer = printer,
                                                    .message_box = box,
                                                    .clock = clock,
                                                    .title = "Talvex",
                                                    .busy_notice = notice}};
};

TEST_F(OrderJobTest, PrintsTheTicketsMarksTheRowAndResumesTwoTicksLater) {
  tick(10);
  ASSERT_TRUE(box.shown.empty()) << box.shown[0].text;
  ASSERT_EQ(printers.jobs.size(), 2u);
  EXPECT_EQ(printers.jobs[0].page.title, "Заказ");
  EXPECT_EQ(scalar("select status from print where id=100"), "yes");
  EXPECT_EQ(service.queue_countdown, 2);
}

// The end of the session is told why it should wait for as long as a job prints: a job that fails
// ends the notice as one that succeeds does, and a check that runs no job tells nothing.
TEST_F(OrderJobTest, TheSessionIsToldWhileAJobPrints) {
  sql("UPDATE printers SET port=7 WHERE id=4");
  tick(9);
  EXPECT_TRUE(notice.calls.empty());
  tick(1);
  EXPECT_EQ(notice.calls, (std::vector<std::string>{
                              "begin \"Идет печать документа\" after 0 printed",
                              "end after 1 printed",  // the KITCHEN ticket failed
                          }));
  sql("UPDATE printers SET port=2 WHERE id=4");
  tick(300);
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(notice.calls, (std::vector<std::string>{
                              "begin \"Идет печать документа\" after 0 printed",
                              "end after 1 printed",
                              "begin \"Идет печать документа\" after 1 printed",
                              "end after 2 printed",
                          }));
}

TEST_F(OrderJobTest, FailedJobIsRetriedWithoutReprintingAndAResetRowPrintsInFull) {
  sql("UPDATE printers SET port=7 WHERE id=4");
  tick(10);
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].text, "Printer index out of range.");
  EXPECT_EQ(printers.jobs.size(), 1u);
  EXPECT_EQ(service.queue_countdown, 5);

  sql("UPDATE printers SET port=2 WHERE id=4");
  tick(300);
  ASSERT_EQ(printers.jobs.size(), 2u);
  EXPECT_EQ(printers.jobs[1].index, 2);
  EXPECT_EQ(scalar("select status from print where id=100"), "yes");

  // The front end asks for the same sub-order again: both tickets come out anew.
  sql("UPDATE print SET status='no' WHERE id=100");
  tick(5);
  EXPECT_EQ(printers.jobs.size(), 4u);
}

TEST_F(OrderJobTest, HalfPrintedRowThatTheFrontEndMarksAndSetsBackPrintsInFull) {
  sql("UPDATE printers SET port=7 WHERE id=4");
  tick(10);
  ASSERT_EQ(box.shown.size(), 1u);
  ASSERT_EQ(printers.jobs.size(), 1u);  // the BAR ticket came out, the KITCHEN one failed

  // The front end marks the row printed; the check at tick 15 forgets what the job had printed.
  // Set back to "no", the row asks for every ticket again, at the next check.
  sql("UPDATE print SET status='yes' WHERE id=100");
  tick(5);
  sql("UPDATE printers SET port=2 WHERE id=4");
  sql("UPDATE print SET status='no' WHERE id=100");
  tick(5);
  std::vector<int> indexes;
  for (const auto& job : printers.jobs)
    indexes.push_back(job.index);
  EXPECT_EQ(indexes, (std::vector<int>{1, 1, 2}));
  EXPECT_EQ(scalar("select status from print where id=100"), "yes");
  EXPECT_EQ(box.shown.size(), 1u);
}

}  // namespace
}  // namespace talvex::testing
