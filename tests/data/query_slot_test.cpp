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
    db.connection.set_statement_observer([this](const std::string& s) { sent.push_back(s); });
  }

  Database db;
  std::vector<std::string> sent;
};

TEST_F(QuerySlotTest, StartUpOpensEverySlotWithItsDefaultStatementInOrder) {
  EXPECT_FALSE(db.connection.connected());
  db.open_slots();
  EXPECT_TRUE(db.connection.connected());
  EXPECT_EQ(sent, (std::vector<std::string>{
                      "select * from printers limit 1",
                      "select * from settings limit 1",
                      "select * from print limit 1",
                      "select * from print limit 1",
                      "select * from zakaz limit 1",
                      "select * from podzakaz limit 1",
                      "select * from tables limit 1",
                      "select * from cat_tables limit 1",
                      "select * from pay limit 1",
                      "select * from menu limit 1",
                      "select * from type_pay limit 1",
                      "select * from clients limit 1",
                  }));
  for (const SlotDefinition& slot : kSlots)
    EXPECT_TRUE(db.slot(slot.slot).active()) << slot.name;
}

TEST_F(QuerySlotTest, ConnectOnAnOpenConnectionSendsNothing) {
  db.connection.connect();
  db.settings.reload("select CONNECTION_ID() as value");
  const std::string id = db.settings.text("value");
  sent.clear();
  db.connection.connect();
  EXPECT_TRUE(sent.empty());
  db.settings.reload("select CONNECTION_ID() as value");
  EXPECT_EQ(db.settings.text("value"), id);
}

TEST_F(QuerySlotTest, NoRowEmptiesOnlyTheSlotsOwnFields) {
  sql("INSERT INTO printers (id, name, port) VALUES (1, 'KASSA', 0)");
  sql("INSERT INTO settings (name, value) VALUES ('printer_timer', '5')");
  db.printers.reload("select * from printers where name='KASSA'");
  db.settings.reload("select * from settings where name='printer_timer'");
  ASSERT_EQ(db.printers.text("name"), "KASSA");

  db.printers.reload("select * from printers where name='BAR'");
  EXPECT_TRUE(db.printers.active());
  EXPECT_EQ(db.printers.text("port"), "");
  EXPECT_EQ(db.printers.text("name"), "");
  EXPECT_EQ(db.printers.text("id"), "");
  EXPECT_EQ(db.settings.text("value"), "5");
}

TEST_F(QuerySlotTest, SeveralRowsShowTheFirstAndCanBeWalked) {
  sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES "
      "(7, 70, 1, 'predcheck', 'no'), (5, 50, 2, 'podzakaz', 'no'), (3, 30, 1, 'podzakaz', 'yes')");
  QuerySlot& q = db.queue;
  q.reload("select * from print where status='no' ORDER BY id ASC");
  EXPECT_EQ(db.queue.text("id"), "5");
  EXPECT_EQ(db.queue.text("type"), "podzakaz");
  EXPECT_EQ(db.queue.text("zakaz"), "50");
  ASSERT_EQ(q.row_count(), 2u);
  EXPECT_EQ(q.text(1, "id"), "7");
  EXPECT_EQ(q.text(1, "type"), "predcheck");
  EXPECT_THROW(q.text(0, "no_such_column"), DataError);
  // The current row offers only the columns the slot reads.
  EXPECT_THROW(q.text("kolvo"), std::logic_error);
}

TEST_F(QuerySlotTest, TheSameStatementAgainShowsFreshValues) {
  sql("INSERT INTO settings (name, value) VALUES ('printer_timer', '5')");
  const Sql statement("select * from settings where name='printer_timer'");
  db.settings.reload(statement);
  EXPECT_EQ(db.settings.text("value"), "5");
  sql("UPDATE settings SET value='9' WHERE name='printer_timer'");
  db.settings.reload(statement);
  EXPECT_EQ(db.settings.text("value"), "9");
  EXPECT_EQ(sent.size(), 2u);
}

TEST_F(QuerySlotTest, MissingBoundColumnNamesTheFieldAndLeavesTheSlotClosed) {
  sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (1, 10, 1, 'podzakaz', 'no')");
  try {
    db.queue.reload("select id, podzakaz from print");
    FAIL() << "opened without its bound columns";
  } catch (const DataError& e) {
    EXPECT_STREQ(e.what(), "DBMemo6: Field 'status' not found");
  }
  EXPECT_FALSE(db.queue.active());
  EXPECT_EQ(db.queue.text("id"), "");
}

TEST_F(QuerySlotTest, RejectedStatementCarriesTheServersTextAndEmptiesTheFields) {
  sql("INSERT INTO settings (name, value) VALUES ('title', 'Кафе')");
  db.settings.reload("select * from settings");
  ASSERT_EQ(db.settings.text("value"), "Кафе");
  try {
    db.settings.reload("select * from no_such_table");
    FAIL() << "statement accepted";
  } catch (const DataError& e) {
    EXPECT_NE(std::string(e.what()).find("no_such_table' doesn't exist"), std::string::npos)
        << e.what();
  }
  EXPECT_FALSE(db.settings.active());
  EXPECT_EQ(db.settings.text("value"), "");
}

TEST_F(QuerySlotTest, TheOpenObserverSeesEachResultOnceAndNoFailedOne) {
  sql("INSERT INTO printers (id, name, port) VALUES (1, 'KASSA', 0), (2, 'BAR', 1)");
  std::vector<std::string> seen;
  db.printers.set_open_observer([&](const QuerySlot& slot) {
    std::string rows;
    for (std::size_t r = 0; r < slot.row_count(); ++r)
      rows += slot.text(r, "name") + "=" + slot.text(r, "port") + ";";
    seen.push_back(rows);
  });
  db.printers.reload("select * from printers ORDER BY id ASC");
  db.printers.open();  // open already: nothing is read
  db.printers.reload("select * from printers where name='BAR'");
  EXPECT_THROW(db.printers.reload("select id from printers"), DataError);
  EXPECT_EQ(seen, (std::vector<std::string>{"KASSA=0;BAR=1;", "BAR=1;"}));
}

TEST_F(QuerySlotTest, ClearingTheStatementClosesTheSlot) {
  sql("INSERT INTO settings (name, value) VALUES ('title', 'Кафе')");
  db.settings.reload("select * from settings");
  db.settings.clear();
  EXPECT_FALSE(db.settings.active());
  EXPECT_EQ(db.settings.text("value"), "");
  EXPECT_EQ(db.settings.row_count(), 0u);
}

TEST_F(QuerySlotTest, ValuesAreSplicedSafelyAndOrdinaryOnesVerbatim) {
  sql("INSERT INTO settings (name, value) VALUES ('it''s a \\\\ key', 'found'), ('x', 'other')");
  db.settings.reload(Sql("select * from settings where name='") + value("it's a \\ key") + "'");
  EXPECT_EQ(db.settings.text("value"), "found");

  db.settings.reload(Sql("select * from settings where name='") + value("x' OR '1'='1") + "'");
  EXPECT_EQ(db.settings.text("value"), "");

  sent.clear();
  db.settings.reload(Sql("select * from settings where name='") + value("printer_timer") + "'");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], "select * from settings where name='printer_timer'");
}

TEST_F(QuerySlotTest, CyrillicAndFourByteCharactersReadBackUnchanged) {
  const std::string name = "Шашлык из баранины 🍖 «Ёлка»";
  db.statements.execute(Sql("INSERT INTO menu (id, name) VALUES ('1', '") + value(name) + "')");
  db.menu.reload(Sql("select * from menu WHERE id='") + value(1) + "'");
  EXPECT_EQ(db.menu.text("name"), name);
  EXPECT_EQ(scalar("select name from menu"), name);
}

}  // namespace
}  // namespace talvex::data
