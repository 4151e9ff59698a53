#include <gtest/gtest.h>

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

}  // namespace
}  // namespace talvex::testing
