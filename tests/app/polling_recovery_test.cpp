#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "tests/app/service_fixture.h"
#include "tests/support/private_server.h"

namespace talvex::testing {
namespace {

using platform::PanelLabel;

// The database goes away after start and comes back: each check meanwhile shows its failure, and
// the first one after the server is back succeeds without a restart.
class PollingRecoveryTest : public ServiceTest {};

TEST_F(PollingRecoveryTest, ChecksSucceedAgainOnceTheServerIsBack) {
  PrivateServer server;
  create_schema_database(server.params(""), "screen");
  data::Connection(server.params("screen"))
      .execute("INSERT INTO settings (name, value) VALUES ('printer_timer', '5')");
  make_service(server.params("screen"));
  start();
  tick(4);
  ASSERT_TRUE(box.shown.empty());

  server.stop();
  tick(10);  // the data check at tick 14 and the queue check at tick 10
  ASSERT_GE(box.shown.size(), 2u);
  EXPECT_NE(box.shown.back().text.find("Cannot connect to server on host '127.0.0.1'"),
            std::string::npos)
      << box.shown.back().text;

  server.start();
  const std::size_t failures = box.shown.size();
  tick(10);  // the data check at tick 24 and the queue check at tick 20
  EXPECT_EQ(box.shown.size(), failures);
  EXPECT_EQ(panel.label(PanelLabel::QueueState), "Нет очереди печати");
}

// Lets a frozen server go on after `limit` unless told first: a test that waits for a statement's
// own timeout never waits for ever on one that has none.
class Thaw {
 public:
  Thaw(PrivateServer& server, std::chrono::seconds limit)
      : thread_([this, &server, limit] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (!done_.wait_for(lock, limit, [this] { return told_; }))
            server.thaw();
        }) {}
  ~Thaw() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      told_ = true;
    }
    done_.notify_one();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool told_ = false;
  std::thread thread_;
};

// A server that stops answering in the middle of a statement, on a server of the test's own: the
// statement fails once the read timeout runs out, and its job with it; the row waits as after any
// failure, nothing is printed or marked; once the server answers again the job prints, once.
TEST(StalledServerTest, AStatementWithoutAnAnswerFailsItsJobWhichIsTriedAgain) {
  PrivateServer server;
  create_schema_database(server.params(""), "screen");
  data::Connection venue(server.params("screen"));
  for (const char* statement :
       {"INSERT INTO settings (name, value) VALUES ('printer_timer', '5'), "
        "('name_check_left', '0'), ('title_check_left', '0'), ('control_printer', '0')",
        "INSERT INTO printers (id, name, port) VALUES (1, 'KASSA', 0)",
        "INSERT INTO tables (id, name, procent) VALUES (1, 'Стол 1', 10)",
        "INSERT INTO clients (id, name, discount) VALUES (7, 'Асель', 5)",
        "INSERT INTO zakaz (id, date_open, client, tables) VALUES (10, 1428400000, 7, 1)",
        "INSERT INTO menu (id, name) VALUES (1, 'Чай')",
        "INSERT INTO podzakaz (zakaz, podzakaz, menu, kolvo, price) VALUES (10, 1, 1, 2, 500)",
        "INSERT INTO print (id, zakaz, type, status) VALUES (1, 10, 'predcheck', 'no')"})
    venue.execute(data::Sql::fixed(statement));

  data::ConnectionParams params = server.params("screen");
  // After the failure the service connects again to keep the row's hold in the journal: that
  // waits for the connect timeout while the server is still.
  params.read_timeout = std::chrono::seconds(2);
  params.connect_timeout = std::chrono::seconds(2);
  FakePanel panel;
  FakeMessageBox box;
  FakeClock clock;
  RecordingPrintSystem printers;
  platform::Printer printer(printers);
  app::PrintService service(params, app::Services{panel, printer, box, clock, "Talvex"});
  // The server stops as the bill asks for its client, after its items are drawn.
  bool stalled = false;
  service.db.connection.set_statement_observer([&](const std::string& statement) {
    if (!stalled && statement.rfind("select * from clients where id=", 0) == 0) {
      stalled = true;
      server.freeze();
    }
  });
  service.open_database();
  service.start();
  {
    // The server goes on as soon as the job has failed, so that no check after it waits.
    const Thaw thaw(server, std::chrono::seconds(60));
    for (int i = 0; i < 10 && box.shown.empty(); ++i) {
      service.data_check_tick();
      service.queue_check_tick();
    }
  }
  server.thaw();
  ASSERT_TRUE(stalled);
  ASSERT_EQ(box.shown.size(), 1u) << "the statement was answered: it did not time out";
  EXPECT_NE(box.shown[0].text.find("Lost connection"), std::string::npos) << box.shown[0].text;
  EXPECT_TRUE(printers.jobs.empty());
  const auto status = [&] {
    return venue.query(data::Sql::fixed("select status from print where id=1")).rows.at(0).at(0);
  };
  EXPECT_EQ(status(), "no");

  for (int i = 0; i < 305; ++i) {
    service.data_check_tick();
    service.queue_check_tick();
  }
  EXPECT_EQ(printers.jobs.size(), 1u);
  EXPECT_EQ(status(), "yes");
  EXPECT_EQ(box.shown.size(), 1u);
}

}  // namespace
}  // namespace talvex::testing
