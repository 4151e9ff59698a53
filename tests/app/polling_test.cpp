#include <gtest/gtest.h>

#include "tests/app/service_fixture.h"

namespace talvex::testing {
namespace {

using platform::PanelLabel;

const std::string kKeepAlive = "SELECT * FROM `print` limit 1";
const std::string kQueue = "select * from print where status='no' ORDER BY id ASC";

class PollingTest : public ServiceTest {};

TEST_F(PollingTest, StartUpSetsTheCountdownsAndHidesThePanel) {
  start();
  EXPECT_EQ(service->data_check_countdown, 4);
  EXPECT_EQ(service->queue_countdown, 10);
  EXPECT_EQ(panel.size, std::make_pair(0, 0));
  EXPECT_EQ(panel.ports, (std::vector<std::string>{"0", "1", "2", "3"}));
  EXPECT_EQ(panel.label(PanelLabel::DataCheck), "Label5");
  EXPECT_TRUE(box.shown.empty());
}

TEST_F(PollingTest, DataCheckCountdownRunsEveryTenTicksFromTheFourth) {
  standard_settings();
  start();
  std::vector<std::string> data_check_label;
  for (int i = 0; i < 24; ++i) {
    tick();
    data_check_label.push_back(panel.label(PanelLabel::DataCheck));
  }
  std::vector<std::string> expected;
  for (int n : {3, 2, 1, 0, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}) {
    expected.push_back("Проверка данных через: " + std::to_string(n) + " c.");
  }
  EXPECT_EQ(data_check_label, expected);
  EXPECT_EQ(ticks_of(kKeepAlive), (std::vector<int>{4, 14, 24}));
  EXPECT_EQ(ticks_of("select * from settings where name='oragnization'"),
            (std::vector<int>{4, 14, 24}));
}

TEST_F(PollingTest, QueueCheckAtTheTenthTickThenEveryPrinterTimerTicks) {
  standard_settings("5");
  start();
  tick(9);
  EXPECT_EQ(panel.label(PanelLabel::QueueCheck), "До проверки печати: 1 c.");
  EXPECT_EQ(panel.label(PanelLabel::QueueState), "Label7");
  tick(16);
  EXPECT_EQ(ticks_of(kQueue), (std::vector<int>{10, 15, 20, 25}));
  EXPECT_EQ(panel.label(PanelLabel::QueueState), "Нет очереди печати");
  EXPECT_EQ(service->print_row_id, "");
  EXPECT_TRUE(jobs->runs.empty());
  tick();
  EXPECT_EQ(panel.label(PanelLabel::QueueCheck), "До проверки печати: 4 c.");
}

TEST_F(PollingTest, OldestRowRunsFirstAndTheNextTwoTicksAfterItEnds) {
  standard_settings("5");
  sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES "
      "(7, 70, 1, 'predcheck', 'no'), (5, 50, 2, 'podzakaz', 'no')");
  start();
  tick(10);
  ASSERT_EQ(jobs->runs.size(), 1u);
  EXPECT_EQ(jobs->runs[0].type, "podzakaz");
  EXPECT_EQ(jobs->runs[0].id, "5");
  EXPECT_EQ(panel.label(PanelLabel::QueueState), "Есть очередь печати");
  EXPECT_EQ(service->queue_countdown, 2);
  tick();
  EXPECT_EQ(panel.label(PanelLabel::QueueCheck), "До проверки печати: 1 c.");
  tick();
  ASSERT_EQ(jobs->runs.size(), 2u);
  EXPECT_EQ(jobs->runs[1].type, "predcheck");
  EXPECT_EQ(jobs->runs[1].id, "7");
  EXPECT_EQ(jobs->runs[1].tick, 12);
  tick(2);
  EXPECT_EQ(panel.label(PanelLabel::QueueState), "Нет очереди печати");
  EXPECT_EQ(scalar("select count(*) from print where status='yes'"), "2");
}

TEST_F(PollingTest, RowOfUnknownTypeIsPassedOverAndStaysWaiting) {
  standard_settings("5");
  sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES "
      "(3, 30, 1, 'PREDCHECK', 'no'), (4, 40, 1, '', 'no'), (6, 60, 1, 'zakaz_close', 'no')");
  start();
  tick(10);
  ASSERT_EQ(jobs->runs.size(), 1u);
  EXPECT_EQ(jobs->runs[0].type, "zakaz_close");
  EXPECT_EQ(jobs->runs[0].id, "6");
  EXPECT_EQ(panel.label(PanelLabel::QueueState), "Есть очередь печати (неизвестный тип: 3, 4)");
  tick(2);
  EXPECT_EQ(jobs->runs.size(), 1u);
  EXPECT_EQ(service->print_row_id, "3");
  EXPECT_EQ(scalar("select group_concat(id order by id) from print where status='no'"), "3,4");
}

TEST_F(PollingTest, FailedJobWaitsThreeHundredTicksWhileTheRowsBehindItPrint) {
  standard_settings("5");
  sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES "
      "(1, 10, 1, 'podzakaz', 'no'), (2, 20, 1, 'predcheck', 'no'), (3, 30, 1, 'zakaz_close', "
      "'no')");
  jobs->failing = {"1"};
  start();
  tick(10);
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].text, "Printer jammed.");
  EXPECT_EQ(box.shown[0].caption, "Talvex");
  EXPECT_EQ(box.shown[0].context, "`print` row 1, podzakaz, order 10, sub-order 1");
  // The queue goes on from printer_timer, with the rows behind the failed one.
  EXPECT_EQ(service->queue_countdown, 5);
  tick(5);
  tick(2);
  std::vector<std::string> order;
  for (const auto& r : jobs->runs)
    order.push_back(r.id + "@" + std::to_string(r.tick));
  EXPECT_EQ(order, (std::vector<std::string>{"1@10", "2@15", "3@17"}));

  // Nothing else waits; the failed row comes back once its 300 ticks have passed.
  jobs->failing.clear();
  tick(300 - 7 - 1);
  EXPECT_EQ(jobs->runs.size(), 3u);
  tick(5);
  ASSERT_EQ(jobs->runs.size(), 4u);
  EXPECT_EQ(jobs->runs[3].id, "1");
  EXPECT_GE(jobs->runs[3].tick, 310);
  EXPECT_EQ(scalar("select count(*) from print where status='no'"), "0");
}

TEST_F(PollingTest, HeldRowThatTheFrontEndMarksAndSetsBackIsTakenAtTheNextCheck) {
  standard_settings("5");
  sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (1, 10, 1, 'podzakaz', 'no')");
  jobs->failing = {"1"};
  start();
  tick(10);
  ASSERT_EQ(box.shown.size(), 1u);
  jobs->failing.clear();

  // The front end marks the row printed: the check at tick 15 finds nothing waiting and forgets
  // the hold. Set back to "no", the row is a new request and waits for nothing.
  sql("UPDATE print SET status='yes' WHERE id=1");
  tick(5);
  EXPECT_EQ(panel.label(PanelLabel::QueueState), "Нет очереди печати");
  sql("UPDATE print SET status='no' WHERE id=1");
  tick(5);
  std::vector<std::string> order;
  for (const auto& r : jobs->runs)
    order.push_back(r.id + "@" + std::to_string(r.tick));
  EXPECT_EQ(order, (std::vector<std::string>{"1@10", "1@20"}));
  EXPECT_EQ(scalar("select status from print where id=1"), "yes");
}

TEST_F(PollingTest, RowWhoseStatusUpdateFailedIsDueAgainTwoTicksLater) {
  standard_settings("5");
  sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES "
      "(1, 10, 1, 'predcheck', 'no'), (2, 20, 1, 'zakaz_close', 'no')");
  jobs->failing_update = {"1"};
  start();
  tick(10);
  ASSERT_EQ(box.shown.size(), 1u);
  jobs->failing_update.clear();
  tick(5);
  tick(2);
  std::vector<std::string> order;
  for (const auto& r : jobs->runs)
    order.push_back(r.id + "@" + std::to_string(r.tick));
  // Its hold of two ticks is over by the next check, which takes it before the row behind it.
  EXPECT_EQ(order, (std::vector<std::string>{"1@10", "1@15", "2@17"}));
}

TEST_F(PollingTest, RowWhoseStatusUpdateFailsAgainWaitsThreeHundredTicks) {
  standard_settings("5");
  sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES "
      "(1, 10, 1, 'predcheck', 'no'), (2, 20, 1, 'zakaz_close', 'no')");
  jobs->failing_update = {"1"};
  start();
  tick(10);
  tick(5);
  tick(5);
  std::vector<std::string> order;
  for (const auto& r : jobs->runs)
    order.push_back(r.id + "@" + std::to_string(r.tick));
  // Refused twice in a row, the update is not tried again at every check, ahead of the row
  // behind it: that row prints at the next one.
  EXPECT_EQ(order, (std::vector<std::string>{"1@10", "1@15", "2@20"}));
  EXPECT_EQ(box.shown.size(), 2u);

  jobs->failing_update.clear();
  tick(300 - 5 - 1);
  EXPECT_EQ(jobs->runs.size(), 3u);
  tick(5);
  ASSERT_EQ(jobs->runs.size(), 4u);
  EXPECT_EQ(jobs->runs[3].id, "1");
  EXPECT_GE(jobs->runs[3].tick, 315);
  EXPECT_EQ(scalar("select count(*) from print where status='no'"), "0");
}

TEST_F(PollingTest, FailingKeepAliveKeepsTheRhythm) {
  standard_settings();
  start();
  change_schema("RENAME TABLE print TO print_away", "RENAME TABLE print_away TO print");
  tick(4);
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_NE(box.shown[0].text.find("print' doesn't exist"), std::string::npos) << box.shown[0].text;
  EXPECT_EQ(box.shown[0].context, "");  // no job was running
  EXPECT_EQ(service->data_check_countdown, 10);
  tick();
  EXPECT_EQ(panel.label(PanelLabel::DataCheck), "Проверка данных через: 9 c.");
}

struct TimerCase {
  const char* name;
  const char* value;
  const char* message;
};

class UnusablePrinterTimer : public ServiceTest, public ::testing::WithParamInterface<TimerCase> {};

TEST_P(UnusablePrinterTimer, IsReportedAndTheCountdownStartsAgainFromTen) {
  standard_settings(GetParam().value);
  start();
  tick(10);
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].text, GetParam().message);
  EXPECT_EQ(service->queue_countdown, 10);
  EXPECT_EQ(ticks_of(kQueue), std::vector<int>{});
  sql("UPDATE settings SET value='3' WHERE name='printer_timer'");
  tick(10);  // the data check at tick 14 reads the mended value
  EXPECT_EQ(ticks_of(kQueue), std::vector<int>{20});
  EXPECT_EQ(service->queue_countdown, 3);
}

INSTANTIATE_TEST_SUITE_P(
    Values, UnusablePrinterTimer,
    ::testing::Values(TimerCase{"Empty", "", "'' is not a valid integer value."},
                      TimerCase{"NotANumber", "abc", "'abc' is not a valid integer value."},
                      TimerCase{"Zero", "0",
                                "'0' is not a valid printer_timer value (it must be 1 or more)"}),
    [](const ::testing::TestParamInfo<TimerCase>& param_info) { return param_info.param.name; });

// Two services on one database: a job runs only under the database's lock on the queue, taken
// without waiting, and its row is chosen again under the lock. `other` stands for the other
// service's session.
const std::string kTakeLock = "SELECT GET_LOCK(CONCAT('talvex print queue ', DATABASE()), 0)";
const std::string kGiveLockBack = "SELECT RELEASE_LOCK(CONCAT('talvex print queue ', DATABASE()))";
// What a statement does: its first word and the first table it names ("SELECT talvex_documents").
std::string gist(const std::string& statement) {
  const std::size_t table = statement.find('`');
  return statement.substr(0, statement.find(' ')) + " " +
         (table == std::string::npos
              ? std::string()
              : statement.substr(table + 1, statement.find('`', table + 1) - table - 1));
}

class QueueLockTest : public ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    standard_settings("5");
  }
  // The statements sent at `tick`, in order.
  std::vector<std::string> sent_at(int tick) const {
    std::vector<std::string> out;
    for (const auto& s : sent) {
      if (s.tick == tick)
        out.push_back(s.text);
    }
    return out;
  }
  bool other_takes_the_lock() {
    return other.query(data::Sql::fixed(kTakeLock)).rows.at(0).at(0) == "1";
  }

  data::Connection other{params()};
};

TEST_F(QueueLockTest, CheckWithNothingToPrintSendsOnlyTheQueueStatement) {
  sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (1, 10, 1, 'PODZAKAZ', 'no')");
  start();
  tick(10);
  EXPECT_EQ(sent_at(10), std::vector<std::string>{kQueue});
  EXPECT_TRUE(jobs->runs.empty());
}

TEST_F(QueueLockTest, CheckSkipsWhileAnotherServiceHoldsTheLock) {
  sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (1, 10, 1, 'podzakaz', 'no')");
  start();
  ASSERT_TRUE(other_takes_the_lock());
  tick(10);
  EXPECT_TRUE(jobs->runs.empty());
  EXPECT_EQ(sent_at(10), (std::vector<std::string>{kQueue, kTakeLock}));
  EXPECT_EQ(panel.label(PanelLabel::QueueState), "Есть очередь печати (печатает другая служба)");
  EXPECT_TRUE(box.shown.empty());
  EXPECT_EQ(service->queue_countdown, 5);

  other.query(data::Sql::fixed(kGiveLockBack));
  tick(5);
  ASSERT_EQ(jobs->runs.size(), 1u);
  EXPECT_EQ(jobs->runs[0].tick, 15);
  // The job ran between taking the lock, a read of the journal and a second read of the queue,
  // and giving it back.
  const std::vector<std::string> check = sent_at(15);
  ASSERT_GE(check.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(check.begin(), check.begin() + 2),
            (std::vector<std::string>{kQueue, kTakeLock}));
  EXPECT_EQ(gist(check[2]), "SELECT talvex_documents");
  EXPECT_EQ(check[3], kQueue);
  EXPECT_EQ(check.back(), kGiveLockBack);
  EXPECT_EQ(panel.label(PanelLabel::QueueState), "Есть очередь печати");
}

TEST_F(QueueLockTest, RowThatTheOtherServicePrintedMeanwhileIsNotPrintedAgain) {
  sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES "
      "(1, 10, 1, 'podzakaz', 'no'), (2, 20, 1, 'predcheck', 'no')");
  start();
  // Between this service's first read and its lock, the other one prints row 1 and gives the lock
  // back.
  service->db.connection.set_statement_observer([this](const std::string& s) {
    sent.push_back({now, s});
    if (s == kTakeLock && now == 10)
      other.execute("UPDATE print SET status='yes' WHERE id=1");
  });
  tick(10);
  ASSERT_EQ(jobs->runs.size(), 1u);
  EXPECT_EQ(jobs->runs[0].id, "2");
}

TEST_F(QueueLockTest, LockOfAnotherDatabaseDoesNotStopTheCheck) {
  sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (1, 10, 1, 'podzakaz', 'no')");
  data::ConnectionParams elsewhere = params();
  elsewhere.database = "mysql";
  data::Connection service_of_another_venue(elsewhere);
  ASSERT_EQ(service_of_another_venue.query(data::Sql::fixed(kTakeLock)).rows.at(0).at(0), "1");
  start();
  tick(10);
  EXPECT_EQ(jobs->runs.size(), 1u);
}

struct JobEnd {
  const char* name;
  bool fails_while_printing;
  bool update_refused;
};

class QueueLockAfterAJob : public QueueLockTest, public ::testing::WithParamInterface<JobEnd> {};

TEST_P(QueueLockAfterAJob, IsGivenBack) {
  sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (1, 10, 1, 'predcheck', 'no')");
  if (GetParam().fails_while_printing)
    jobs->failing = {"1"};
  if (GetParam().update_refused)
    jobs->failing_update = {"1"};
  start();
  tick(10);
  ASSERT_EQ(jobs->runs.size(), 1u);
  EXPECT_EQ(box.shown.size(),
            GetParam().fails_while_printing || GetParam().update_refused ? 1u : 0u);
  EXPECT_FALSE(service->db.queue_lock.held());
  EXPECT_TRUE(other_takes_the_lock());
}

INSTANTIATE_TEST_SUITE_P(Ends, QueueLockAfterAJob,
                         ::testing::Values(JobEnd{"Printed", false, false},
                                           JobEnd{"FailedWhilePrinting", true, false},
                                           JobEnd{"StatusUpdateRefused", false, true}),
                         [](const ::testing::TestParamInfo<JobEnd>& param_info) {
                           return param_info.param.name;
                         });

}  // namespace
}  // namespace talvex::testing
