// The order tickets of one queued sub-order on a venue with a 300-item menu and an order whose
// line ids span 2,000, against a private MariaDB server started for the run. Reports the time per
// job and the statements it sends.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "data/database.h"
#include "platform/printer.h"
#include "tests/support/database_fixture.h"
#include "tests/support/fakes.h"
#include "tests/support/private_server.h"
#include "tests/support/recording_print_system.h"
#include "tickets/order_ticket.h"

namespace {

using talvex::data::Sql;

void fill_venue(talvex::data::Connection& c) {
  for (const char* s : {
           "INSERT INTO printers (id, name, port) VALUES (1, 'KASSA', 0), (2, 'BAR', 1), "
           "(3, 'CONTROL', 3), (4, 'KITCHEN', 2)",
           "INSERT INTO zakaz (id, date_open, tables, waitres) VALUES (10, 1428400000, 1, 'W')",
           "INSERT INTO menu (id, name) SELECT seq, CONCAT('Блюдо номер ', seq) FROM seq_1_to_300",
           "INSERT INTO podzakaz (id, zakaz, podzakaz, printer, menu, kolvo) SELECT seq, "
           "IF(seq % 50 = 1, 10, 11), 1, 2 + (seq % 2) * 2, 1 + seq % 300, 1 FROM seq_1_to_2001",
           "INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (1, 10, 1, 'podzakaz', "
           "'no')",
       }) {
    c.execute(Sql::fixed(s));
  }
}

void BM_OrderTickets(benchmark::State& state) {
  setenv("TALVEX_SOURCE_DIR", TALVEX_SOURCE_DIR, 0);
  talvex::testing::PrivateServer server;
  talvex::testing::create_schema_database(server.params(""), "screen");
  talvex::data::Connection admin(server.params("screen"));
  fill_venue(admin);

  talvex::data::Database db(server.params("screen"));
  std::size_t statements = 0;
  db.connection.set_statement_observer([&](const std::string&) { ++statements; });
  talvex::testing::RecordingPrintSystem system;
  talvex::platform::Printer printer(system);
  talvex::testing::FakeClock clock;
  const talvex::tickets::Settings settings{"Org", "Title", "1", "5", "0", "60", "120"};
  std::string print_row_id = "1";

  for (auto _ : state) {
    admin.execute("UPDATE print SET status='no'");
    db.queue.reload("select * from print where status='no' ORDER BY id ASC");
    talvex::tickets::JobProgress progress;
    talvex::tickets::JobContext job{db,           printer,  clock,     settings,
                                    print_row_id, progress, [](int) {}};
    talvex::tickets::print_order_tickets(job);
    system.jobs.clear();
  }
  state.counters["statements_per_job"] =
      benchmark::Counter(static_cast<double>(statements) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_OrderTickets)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
