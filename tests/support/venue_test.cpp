#include "tests/support/venue_test.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "tests/support/database_fixture.h"
#include "tests/support/run_command.h"
#include "tests/support/scoped_environment.h"

namespace talvex::testing {

namespace fs = std::filesystem;

std::size_t occurrences(const std::string& output, const std::string& text) {
  std::size_t count = 0;
  for (std::size_t at = output.find(text); at != std::string::npos;
       at = output.find(text, at + text.size()))
    ++count;
  return count;
}

void VenueTest::SetUp() {
  std::string pattern = (fs::current_path() / "talvex-venue-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  folder_ = pattern;
  make_printers("printers");

  if (server_kind_ == Server::Own) {
    own_server_ = std::make_unique<PrivateServer>();
    server_params_ = own_server_->params("");
  } else {
    server_params_ = test_server_params();
  }
  // A database of this test's own, not only of this test program's: a session that an earlier
  // test's program left behind (killed, its connection not yet reaped by the server) is never
  // counted among this test's.
  static int tests_run = 0;
  database_ = "t_venue_" + std::to_string(getpid()) + "_" + std::to_string(++tests_run);
  create_schema_database(server_params_, database_);
  params_ = server_params_;
  params_.database = database_;
  run_script(params_, "db/demo.sql");
  connection_ = std::make_unique<data::Connection>(params_);
  for (const auto& row : connection_->query("select id from print where status='yes'").rows)
    printed_before_.insert(row[0]);
}

void VenueTest::TearDown() {
  if (program_ && HasFailure())
    std::cerr << "talvex said:\n" << program_->output();
  program_.reset();
#ifdef TALVEX_WINDOWS_PROGRAM
  // A Wine prefix's server outlives its last program by a few seconds; it goes before the folder.
  if (fs::exists(folder_ / "wine"))
    run_in_wine(TALVEX_WINESERVER, {"--kill"}, "wineserver.log")->stop(0);
#endif
  connection_.reset();
  if (own_server_) {
    // The database goes with the server and its folder.
    own_server_.reset();
  } else if (!database_.empty()) {
    data::Connection(server_params_)
        .execute(data::Sql::fixed("DROP DATABASE IF EXISTS `" + database_ + "`"));
  }
  std::error_code ignored;
  if (!folder_.empty())
    fs::remove_all(folder_, ignored);
}

fs::path VenueTest::make_printers(const std::string& name) {
  const fs::path root = folder_ / name;
  for (const PrinterFolder& p : kDemoPrinters)
    fs::create_directories(root / p.folder);
  printer_folders_.push_back(root);
  return root;
}

std::vector<PrintedDocument> VenueTest::documents() const {
  std::vector<PrintedDocument> out;
  for (const fs::path& root : printer_folders_) {
    for (PrintedDocument& d : printed_documents(root))
      out.push_back(std::move(d));
  }
  return out;
}

std::vector<std::string> VenueTest::connection_arguments() const {
  return {"--host", "127.0.0.1", "--port", std::to_string(params_.port), "--database", database_};
}

std::unique_ptr<RunningProgram> VenueTest::launch(const fs::path& printers, int tick_ms,
                                                  const std::vector<std::string>& extra,
                                                  const std::string& log) {
  std::vector<std::string> args = connection_arguments();
  if (!printers.empty())
    args.insert(args.end(), {"--printers", printers.string()});
  args.insert(args.end(), {"--tick-ms", std::to_string(tick_ms)});
  args.insert(args.end(), extra.begin(), extra.end());
  auto program = std::make_unique<RunningProgram>(TALVEX_PROGRAM, args, folder_ / log);
  EXPECT_TRUE(program->started());
  return program;
}

#ifdef TALVEX_WINDOWS_PROGRAM
std::unique_ptr<RunningProgram> VenueTest::launch_windows(const fs::path& printers, int tick_ms,
                                                          const std::vector<std::string>& extra,
                                                          const std::string& log) {
  std::vector<std::string> args = {TALVEX_WINDOWS_PROGRAM};
  for (const std::string& a : connection_arguments())
    args.push_back(a);
  if (!printers.empty())
    args.insert(args.end(), {"--printers", "Z:" + printers.string()});
  args.insert(args.end(), {"--tick-ms", std::to_string(tick_ms)});
  args.insert(args.end(), extra.begin(), extra.end());
  auto program = run_in_wine(TALVEX_WINE, args, log);
  EXPECT_TRUE(program->started());
  return program;
}

std::unique_ptr<RunningProgram> VenueTest::run_in_wine(const std::string& program,
                                                       const std::vector<std::string>& args,
                                                       const std::string& log) {
  // The test's prefix is a copy of the build's template (scripts/wine-prefix.sh), made at its
  // first program.
  const fs::path prefix = folder_ / "wine";
  if (!fs::exists(prefix)) {
    const char* wine_template = std::getenv("TALVEX_WINE_TEMPLATE");
    run_command(shell_quote(source_path("scripts/wine-prefix.sh")) + " copy " +
                shell_quote(wine_template != nullptr ? wine_template : "") + " " +
                shell_quote(prefix.string()));
  }
  // Wine asks for no add-ons it would have to download, and keeps its notes to itself.
  const ScopedEnvironment wine({{"WINEPREFIX", prefix.string()},
                                {"WINEDEBUG", "-all"},
                                {"WINEDLLOVERRIDES", "mscoree,mshtml="}});
  return std::make_unique<RunningProgram>(program, args, folder_ / log);
}
#endif

RunningProgram& VenueTest::start(int tick_ms, const std::vector<std::string>& extra) {
  // A program started again keeps the log of the one before it.
  ++starts_;
  const std::string log =
      starts_ == 1 ? "talvex.log" : "talvex-" + std::to_string(starts_) + ".log";
  program_.reset();
  program_ = launch(printers(), tick_ms, extra, log);
  return *program_;
}

RunningProgram& VenueTest::start_on_system_printers(int tick_ms) {
  ++starts_;
  program_.reset();
  program_ = launch({}, tick_ms, {}, "talvex.log");
  return *program_;
}

bool VenueTest::wait_for(const std::function<bool()>& done, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline || (program_ && !program_->running()))
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

bool VenueTest::wait_for_job_reading_clients() {
  // On this test's database: tests of other programs may hold a job of theirs there at once.
  return wait_for([this] {
    return scalar("select count(*) from information_schema.processlist where db='" + database_ +
                  "' and info like 'select * from clients where id=%'") != "0";
  });
}

bool VenueTest::wait_until_serving(const RunningProgram& program) {
  return wait_for(
      [&program] { return program.output().find("Talvex is running for ") != std::string::npos; });
}

void VenueTest::hold_journal_record(const std::string& event, const std::string& condition) {
  sql("CREATE TRIGGER held_record BEFORE " + event +
      " ON talvex_documents FOR EACH ROW "
      "IF " +
      condition +
      " THEN SET @slept = SLEEP(120); "
      "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='the test cut this record short'; END IF");
}

void VenueTest::drop_held_record() {
  sql("DROP TRIGGER held_record");
}

std::string VenueTest::wait_for_held_record() {
  std::string held;
  wait_for([&] {
    held = scalar("select id from information_schema.processlist where db='" + database_ +
                  "' and id <> connection_id() and state='User sleep'");
    return !held.empty();
  });
  return held;
}

bool VenueTest::wait_for_empty_queue(std::chrono::seconds limit) {
  return wait_for([this] { return scalar("select count(*) from print where status='no'") == "0"; },
                  limit);
}

void VenueTest::mark_printed_beforehand(const std::string& where) {
  for (const auto& row :
       connection_->query(data::Sql::fixed("select id from print where " + where)).rows)
    printed_before_.insert(row[0]);
  sql("UPDATE print SET status='yes' WHERE " + where);
}

void VenueTest::queue_demo_copies(int first_id, int count, const std::vector<DemoJob>& mix) {
  ASSERT_GT(count, 0);
  ASSERT_FALSE(mix.empty());
  // The positions in the mix of each demo order's jobs, as a list for an IN (...).
  std::map<int, std::string> positions;
  for (std::size_t m = 0; m < mix.size(); ++m) {
    std::string& list = positions[mix[m].order];
    list += (list.empty() ? "" : ", ") + std::to_string(m);
  }
  // Copies the rows of `table` whose `key` column names a demo order to every order first_id + k
  // whose job is on that order, k counted by MariaDB's sequence table; the rows of each copy come
  // in the order of the originals' ids, which is the order the documents fold lines in.
  const auto copy = [&](const std::string& table, const std::string& key,
                        const std::string& columns) {
    for (const auto& [order, list] : positions) {
      sql("INSERT INTO " + table + " (" + key + ", " + columns + ") SELECT " +
          std::to_string(first_id) + " + s.seq, " + columns + " FROM seq_0_to_" +
          std::to_string(count - 1) + " s JOIN " + table + " c ON c." + key + " = " +
          std::to_string(order) + " WHERE s.seq % " + std::to_string(mix.size()) + " IN (" + list +
          ") ORDER BY s.seq, c.id");
    }
  };
  copy("zakaz", "id", "date_open, date_close, client, podzakaz, status, tables, waitres");
  copy("podzakaz", "zakaz", "podzakaz, menu, name_menu, kolvo, price, printer, waitres");
  copy("pay", "zakaz", "type_pay, cash_pay");

  std::string rows;
  for (int k = 0; k < count; ++k) {
    const DemoJob& job = mix[static_cast<std::size_t>(k) % mix.size()];
    const std::string id = std::to_string(first_id + k);
    rows += (k == 0 ? "(" : ", (") + id + ", " + id + ", " +
            (job.sub_order == 0 ? "NULL" : std::to_string(job.sub_order)) + ", '" + job.type +
            "', 'no')";
  }
  sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES " + rows);
}

void VenueTest::sql(const std::string& statement) {
  connection_->execute(data::Sql::fixed(statement));
}

std::string VenueTest::scalar(const std::string& query) {
  const auto rows = connection_->query(data::Sql::fixed(query)).rows;
  return rows.empty() || rows.front().empty() ? std::string() : rows.front().front();
}

}  // namespace talvex::testing
