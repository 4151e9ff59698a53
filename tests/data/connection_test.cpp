#include "data/connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "data/connect_failure.h"
#include "data/database.h"
#include "data/errors.h"
#include "tests/support/closed_port.h"
#include "tests/support/database_fixture.h"
#include "tests/support/private_server.h"

namespace talvex::data {
namespace {

std::string failure_of(const std::function<void()>& action) {
  try {
    action();
  } catch (const DataError& e) {
    return e.what();
  }
  return "(no failure)";
}

TEST(ConnectFailure, RefusedConnectionNamesTheHostAndTheSocketError) {
  const testing::ClosedPort closed;
  // An address, not a name: no resolver is asked.
  ConnectionParams p;
  p.host = "127.0.0.1";
  p.port = closed.port();
  Connection c(p);
  EXPECT_EQ(failure_of([&] { c.connect(); }),
            "Cannot connect to server on host '127.0.0.1':\r\nConnection refused.\r\nSocket "
            "Error Code: 111($6F)");
  EXPECT_FALSE(c.connected());
}

TEST(ConnectFailure, NoAnswerWithinTheTimeoutIsATimeOut) {
  // A socket that listens but never accepts: the connection is made, the server never greets.
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(listen(fd, 1), 0);
  socklen_t len = sizeof a;
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);

  ConnectionParams p;
  p.host = "127.0.0.1";
  p.port = ntohs(a.sin_port);
  p.connect_timeout = std::chrono::seconds(1);
  Connection c(p);
  EXPECT_EQ(failure_of([&] { c.connect(); }),
            "Cannot connect to server on host '127.0.0.1': Connection timed out");
  close(fd);
}

TEST(ConnectFailure, MessagesTrimTheSystemTextAndShowTheCodeInHex) {
  EXPECT_EQ(cannot_connect_text("srv", 10061, "No connection could be made.\r\n "),
            "Cannot connect to server on host 'srv':\r\nNo connection could be made.\r\nSocket "
            "Error Code: 10061($274D)");
  EXPECT_EQ(unknown_host_text("nohost", 11001),
            "Unknown host 'nohost'\r\nSocket Error Code: 11001($2AF9)");
  EXPECT_EQ(unknown_host_text("nohost", -2),
            "Unknown host 'nohost'\r\nSocket Error Code: -2($FFFFFFFE)");
}

class ConnectionTest : public testing::DatabaseTest {};

TEST_F(ConnectionTest, ServerRefusalKeepsTheServersText) {
  ConnectionParams p = params();
  p.database = "no_such_database";
  Connection c(p);
  EXPECT_EQ(failure_of([&] { c.connect(); }), "Unknown database 'no_such_database'");
}

TEST_F(ConnectionTest, WorksInAutocommitMode) {
  Connection c(params());
  c.execute("INSERT INTO settings (name, value) VALUES ('title', 'x')");
  EXPECT_EQ(scalar("select value from settings"), "x");  // seen from another connection
  EXPECT_EQ(c.query("select @@autocommit").rows.at(0).at(0), "1");
  EXPECT_EQ(c.query("select @@character_set_connection").rows.at(0).at(0), "utf8mb4");
}

// The server goes away and comes back: the outage is reported, and once the server answers again
// the next reload reconnects by itself.
TEST(ConnectionRecovery, ReloadAfterTheServerRestartsReconnects) {
  testing::PrivateServer server;
  testing::create_schema_database(server.params(""), "screen");
  Database db(server.params("screen"));
  db.settings.reload("select * from settings limit 1");
  ASSERT_TRUE(db.connection.connected());

  server.stop();
  const std::string lost =
      failure_of([&] { db.settings.reload("select * from settings limit 1"); });
  EXPECT_TRUE(lost.find("Lost connection") != std::string::npos ||
              lost.find("gone away") != std::string::npos ||
              lost.find("Cannot connect") != std::string::npos)
      << lost;
  EXPECT_FALSE(db.connection.connected());
  EXPECT_EQ(failure_of([&] { db.settings.reload("select * from settings limit 1"); }),
            "Cannot connect to server on host '127.0.0.1':\r\nConnection refused.\r\nSocket Error "
            "Code: 111($6F)");

  server.start();
  db.settings.reload("select * from settings limit 1");
  EXPECT_TRUE(db.settings.active());
  db.statements.execute("SELECT * FROM `print` limit 1");
}

}  // namespace
}  // namespace talvex::data
