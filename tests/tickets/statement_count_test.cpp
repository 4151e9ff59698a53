// Every document reads its order with a fixed number of statements, whatever the size of the menu
// and however far apart the ids of the order's lines and payments lie; the number stays within the
// limits the benchmark holds the documents to.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "bench/statement_limits.h"
#include "tests/tickets/bill_fixture.h"
#include "tickets/order_ticket.h"

namespace talvex::testing {
namespace {

struct Case {
  const char* type;  // the queue row's
  void (*job)(tickets::JobContext&);
  int limit;  // statements per document, the journal's left out
};

class StatementCountTest : public BillTest {
 protected:
  void SetUp() override {
    BillTest::SetUp();
    sql("INSERT INTO printers (id, name, port) VALUES (4, 'KITCHEN', 2)");
    sql("INSERT INTO type_pay (id, name) VALUES (1, 'Наличные'), (2, 'Карта')");
    client_with_discount();
  }

  // Order 10's sub-order 1: a BAR line and two KITCHEN lines at the ids given, and payments at the
  // ids given; queued as a job of `type`, whose progress is kept in the journal.
  void order_with_lines_at(int first, int middle, int last, const char* type) {
    sql("INSERT INTO podzakaz (id, zakaz, podzakaz, printer, menu, kolvo, price) VALUES (" +
        std::to_string(first) + ", 10, 1, 2, 1, 2, 500), (" + std::to_string(middle) +
        ", 10, 1, 4, 2, 1, 100), (" + std::to_string(last) + ", 10, 1, 4, 3, 1, 300)");
    sql("INSERT INTO pay (id, zakaz, type_pay, cash_pay) VALUES (" + std::to_string(first) +
        ", 10, 1, 1000), (" + std::to_string(middle) + ", 10, 2, 500), (" + std::to_string(last) +
        ", 10, 1, -100)");
    sql(std::string("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (100, 10, 1, '") +
        type + "', 'no')");
    progress = {};
    journal_.emplace(db, data::QueueRow{"100", type, "10", "1"});
    journal_->keep(progress);
  }

  std::optional<KeptInJournal> journal_;
};

TEST_F(StatementCountTest, DocumentsDoNotGrowWithTheMenuOrTheIdsAndStayWithinTheirLimits) {
  for (const Case& c :
       {Case{"podzakaz", tickets::print_order_tickets, bench::kOrderTicketStatements},
        Case{"predcheck", tickets::print_precheck, bench::kPrecheckCopyStatements},
        Case{"zakaz_close", tickets::print_receipt, bench::kReceiptCopyStatements}}) {
    SCOPED_TRACE(c.type);
    SetUp();
    order_with_lines_at(1, 2, 3, c.type);
    run(c.type, c.job);
    const std::size_t small = sent.size();
    const std::size_t documents = system.jobs.size();
    ASSERT_EQ(documents, std::string(c.type) == "podzakaz" ? 2u : 1u);

    // A menu of 3,000 items and another order's lines and payments at every even id from 2 to
    // 2,000, between this order's.
    SetUp();
    busy_evening();
    sql("INSERT INTO pay (id, zakaz, type_pay, cash_pay) SELECT seq, 11, 1, 10 "
        "FROM seq_2_to_2000_step_2");
    order_with_lines_at(1, 1001, 2001, c.type);
    run(c.type, c.job);
    ASSERT_EQ(system.jobs.size(), documents);
    EXPECT_EQ(sent.size(), small);
    // The queue head, the printer list, each document within its limit and the journal's records
    // of it, and the status update.
    EXPECT_LE(small, 3 + documents * (c.limit + bench::kJournalPerDocument));
  }
}

}  // namespace
}  // namespace talvex::testing
