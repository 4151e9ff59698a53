#pragma once

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "data/database.h"
#include "platform/printer.h"
#include "tests/support/database_fixture.h"
#include "tests/support/fakes.h"
#include "tests/support/recording_print_system.h"
#include "tests/tickets/kept_in_journal.h"
#include "tickets/bill.h"
#include "tickets/job_context.h"

namespace talvex::testing {

// A venue with the printer rows 1 KASSA (installed printer 0), 2 BAR (1) and 3 CONTROL (3), order
// 10 at table "Стол 5" (service charge 10 %) in "Основной зал", opened 07.04.2015 09:46:40 and
// closed 11:26:40, and three menu items. Tests add the order's lines, queue the job and run it.
class BillTest : public DatabaseTest {
 protected:
  // Also called within a test, to start a case of a table afresh.
  void SetUp() override {
    DatabaseTest::SetUp();
    system.jobs.clear();
    progress = {};
    clock = FakeClock{};
    sent.clear();
    sql("INSERT INTO printers (id, name, port) VALUES (1, 'KASSA', 0), (2, 'BAR', 1), "
        "(3, 'CONTROL', 3)");
    sql("INSERT INTO cat_tables (id, name) VALUES (1, 'Основной зал')");
    sql("INSERT INTO tables (id, name, cat_tables, procent) VALUES (1, 'Стол 5', 1, 10)");
    sql("INSERT INTO zakaz (id, date_open, date_close, tables, waitres) VALUES "
        "(10, 1428400000, 1428406000, 1, 'Айгерим')");
    sql("INSERT INTO menu (id, name) VALUES (1, 'Шашлык'), (2, 'Чай'), (3, 'Лимонад')");
    db.connection.set_statement_observer([this](const std::string& s) { sent.push_back(s); });
  }

  // Lines of order 10 as (menu, kolvo, price), in this order of entry.
  void lines(const std::vector<std::tuple<int, int, int>>& rows) {
    for (const auto& [menu, kolvo, price] : rows) {
      sql("INSERT INTO podzakaz (zakaz, podzakaz, menu, kolvo, price) VALUES (10, 1, " +
          std::to_string(menu) + ", " + std::to_string(kolvo) + ", " + std::to_string(price) + ")");
    }
  }

  // Order 10 for client 7, with a discount.
  void client_with_discount() {
    sql("INSERT INTO clients (id, name, discount) VALUES (7, 'Асель', 5)");
    sql("UPDATE zakaz SET client=7");
  }

  // A busy evening around order 10: a menu of 3,000 items and another order's lines at every even
  // id from 2 to 2,000, so that lines of order 10 at ids 1 and 2,001 span 2,000 ids.
  void busy_evening() {
    sql("DELETE FROM menu");
    sql("INSERT INTO menu (id, name) SELECT seq, CONCAT('Блюдо ', seq) FROM seq_1_to_3000");
    sql("INSERT INTO podzakaz (id, zakaz, menu, kolvo, price) SELECT seq, 11, seq, 1, 10 "
        "FROM seq_2_to_2000_step_2");
  }

  // Queues row 100 of `type` for order 10 and runs `job` on it as the queue check hands it over.
  void run(const std::string& type, void (*job)(tickets::JobContext&)) {
    if (scalar("select count(*) from print where id=100") == "0")
      sql("INSERT INTO print (id, zakaz, type, status) VALUES (100, 10, '" + type + "', 'no')");
    db.queue.reload("select * from print where status='no' ORDER BY id ASC");
    print_row_id = db.queue.text("id");
    tickets::JobContext context{
        db, printer, clock, settings, print_row_id, progress, [this](int ticks) {
          queue_countdown = ticks;
        }};
    job(context);
  }

  std::string failure_of(const std::string& type, void (*job)(tickets::JobContext&)) {
    try {
      run(type, job);
    } catch (const std::exception& e) {
      return e.what();
    }
    return "(no failure)";
  }

  // Document n as one text per line: the texts drawn at the same y, joined by " | ".
  std::vector<std::string> rows(std::size_t n) const {
    std::vector<std::string> out;
    int y = -1;
    for (const platform::DrawnText& t : system.jobs.at(n).page.texts) {
      if (t.y == y) {
        out.back() += " | " + t.text;
      } else {
        out.push_back(t.text);
        y = t.y;
      }
    }
    return out;
  }

  // The rows of document n from the first item line to the separator after the items.
  std::vector<std::string> item_rows(std::size_t n) const {
    std::vector<std::string> all = rows(n);
    const std::string separator(70, '-');
    const auto first = all.begin() + 10;  // after the header's ten lines
    return {first, std::find(first, all.end(), separator)};
  }

  // The row of document n that begins with `prefix`, or empty.
  std::string row_starting(std::size_t n, const std::string& prefix) const {
    for (const std::string& r : rows(n)) {
      if (r.rfind(prefix, 0) == 0)
        return r;
    }
    return {};
  }

  std::string status() { return scalar("select status from print where id=100"); }

  data::Database db{params()};
  RecordingPrintSystem system;
  platform::Printer printer{system};
  FakeClock clock;
  tickets::Settings settings{"ТОО «Зефира»", "Кафе «Кальво»", "0", "5", "0", "60", "120"};
  std::string print_row_id;
  tickets::JobProgress progress;
  int queue_countdown = 0;
  std::vector<std::string> sent;
};

}  // namespace talvex::testing
