#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/database.h"
#include "data/errors.h"
#include "data/slot_definitions.h"
#include "tests/support/database_fixture.h"

namespace talvex::data {
namespace {

class QuerySlotTest : public testing::DatabaseTest {
 protected:
  QuerySlotTest() : db(params()) {
    db.UniConnection1.set_statement_observer([this](const std::string& s) { sent.push_back(s); });
  }

  Database db;
  std::vector<std::string> sent;
};

TEST_F(QuerySlotTest, StartUpOpensEverySlotWithItsDefaultStatementInOrder) {
  EXPECT_FALSE(db.UniConnection1.connected());
  db.open_slots();
  EXPECT_TRUE(db.UniConnection1.connected());
  ASSERT_EQ(sent.size(), 12u);
  for (std::size_t i = 0; i < sent.size(); ++i)
    EXPECT_EQ(sent[i], kDefaultStatements[i]);
  for (int n = 1; n <= 12; ++n)
    EXPECT_TRUE(db.UniQuery(n).active()) << n;
}

TEST_F(QuerySlotTest, ConnectOnAnOpenConnectionSendsNothing) {
  db.UniConnection1.connect();
  db.UniQuery(2).reload("select CONNECTION_ID() as value");
  const std::string id = db.DBMemo(3);
  sent.clear();
  db.UniConnection1.connect();
  EXPECT_TRUE(sent.empty());
  db.UniQuery(2).reload("select CONNECTION_ID() as value");
  EXPECT_EQ(db.DBMemo(3), id);
}

TEST_F(QuerySlotTest, NoRowEmptiesOnlyTheSlotsOwnFields) {
  sql("INSERT INTO printers (id, name, port) VALUES (1, 'KASSA', 0)");
  sql("INSERT INTO settings (name, value) VALUES ('printer_timer', '5')");
  db.UniQuery(1).reload("select * from printers where name='KASSA'");
  db.UniQuery(2).reload("select * from settings where name='printer_timer'");
  ASSERT_EQ(db.DBMemo(2), "KASSA");

  db.UniQuery(1).reload("select * from printers where name='BAR'");
  EXPECT_TRUE(db.UniQuery(1).active());
  EXPECT_EQ(db.DBMemo(1), "");
  EXPECT_EQ(db.DBMemo(2), "");
  EXPECT_EQ(db.DBMemo(42), "");
  EXPECT_EQ(db.DBMemo(3), "5");
}

TEST_F(QuerySlotTest, SeveralRowsShowTheFirstAndCanBeWalked) {
  sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES "
      "(7, 70, 1, 'predcheck', 'no'), (5, 50, 2, 'podzakaz', 'no'), (3, 30, 1, 'podzakaz', 'yes')");
  QuerySlot& q = db.UniQuery(3);
  q.reload("select * from print where status='no' ORDER BY id ASC");
  EXPECT_EQ(db.DBMemo(4), "5");
  EXPECT_EQ(db.DBMemo(7), "podzakaz");
  EXPECT_EQ(db.DBMemo(8), "50");
  ASSERT_EQ(q.row_count(), 2u);
  EXPECT_EQ(q.text(1, "id"), "7");
  EXPECT_EQ(q.text(1, "type"), "predcheck");
  EXPECT_THROW(q.text(0, "no_such_column"), DataError);
}

TEST_F(QuerySlotTest, TheSameStatementAgainShowsFreshValues) {
  sql("INSERT INTO settings (name, value) VALUES ('printer_timer', '5')");
  const Sql statement("select * from settings where name='printer_timer'");
  db.UniQuery(2).reload(statement);
  EXPECT_EQ(db.DBMemo(3), "5");
  sql("UPDATE settings SET value='9' WHERE name='printer_timer'");
  db.UniQuery(2).reload(statement);
  EXPECT_EQ(db.DBMemo(3), "9");
  EXPECT_EQ(sent.size(), 2u);
}

TEST_F(QuerySlotTest, MissingBoundColumnNamesTheFieldAndLeavesTheSlotClosed) {
  sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (1, 10, 1, 'podzakaz', 'no')");
  try {
    db.UniQuery(3).reload("select id, podzakaz from print");
    FAIL() << "opened without its bound columns";
  } catch (const DataError& e) {
    EXPECT_STREQ(e.what(), "DBMemo6: Field 'status' not found");
  }
  EXPECT_FALSE(db.UniQuery(3).active());
  EXPECT_EQ(db.DBMemo(4), "");
}

TEST_F(QuerySlotTest, RejectedStatementCarriesTheServersTextAndEmptiesTheFields) {
  sql("INSERT INTO settings (name, value) VALUES ('title', 'Кафе')");
  db.UniQuery(2).reload("select * from settings");
  ASSERT_EQ(db.DBMemo(3), "Кафе");
  try {
    db.UniQuery(2).reload("select * from no_such_table");
    FAIL() << "statement accepted";
  } catch (const DataError& e) {
    EXPECT_NE(std::string(e.what()).find("no_such_table' doesn't exist"), std::string::npos)
        << e.what();
  }
  EXPECT_FALSE(db.UniQuery(2).active());
  EXPECT_EQ(db.DBMemo(3), "");
}

TEST_F(QuerySlotTest, ClearingTheStatementClosesTheSlot) {
  sql("INSERT INTO settings (name, value) VALUES ('title', 'Кафе')");
  db.UniQuery(2).reload("select * from settings");
  db.UniQuery(2).clear();
  EXPECT_FALSE(db.UniQuery(2).active());
  EXPECT_EQ(db.DBMemo(3), "");
  EXPECT_EQ(db.UniQuery(2).row_count(), 0u);
}

TEST_F(QuerySlotTest, ValuesAreSplicedSafelyAndOrdinaryOnesVerbatim) {
  sql("INSERT INTO settings (name, value) VALUES ('it''s a \\\\ key', 'found'), ('x', 'other')");
  db.UniQuery(2).reload(Sql("select * from settings where name='") + value("it's a \\ key") + "'");
  EXPECT_EQ(db.DBMemo(3), "found");

  db.UniQuery(2).reload(Sql("select * from settings where name='") + value("x' OR '1'='1") + "'");
  EXPECT_EQ(db.DBMemo(3), "");

  sent.clear();
  db.UniQuery(2).reload(Sql("select * from settings where name='") + value("printer_timer") + "'");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], "select * from settings where name='printer_timer'");
}

TEST_F(QuerySlotTest, CyrillicAndFourByteCharactersReadBackUnchanged) {
  const std::string name = "Шашлык из баранины 🍖 «Ёлка»";
  db.UniSQL1.execute(Sql("INSERT INTO menu (id, name) VALUES ('1', '") + value(name) + "')");
  db.UniQuery(10).reload(Sql("select * from menu WHERE id='") + value(1) + "'");
  EXPECT_EQ(db.DBMemo(40), name);
  EXPECT_EQ(scalar("select name from menu"), name);
}

}  // namespace
}  // namespace talvex::data
