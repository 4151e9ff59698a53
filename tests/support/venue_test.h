#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "data/connection.h"
#include "tests/support/printed_documents.h"
#include "tests/support/private_server.h"
#include "tests/support/running_program.h"
#include "tests/support/venue_audit.h"

namespace talvex::testing {

// A printer folder of the demo venue, named after the `printers` row's port so that the folders'
// byte order gives each role the index its port says.
struct PrinterFolder {
  const char* folder;
  int port;
  const char* role;
};
inline constexpr PrinterFolder kDemoPrinters[] = {{"0-KASSA", 0, "KASSA"},
                                                  {"1-BAR", 1, "BAR"},
                                                  {"2-KITCHEN", 2, "KITCHEN"},
                                                  {"3-CONTROL", 3, "CONTROL"}};

// A kind of job that a test queues on a copy of one of the demo's orders.
struct DemoJob {
  const char* type;  // "podzakaz", "predcheck" or "zakaz_close"
  int order;         // 1 to 4; a receipt needs a closed order (1 or 3)
  int sub_order;     // the sub-order of an order ticket; 0 leaves the row's podzakaz NULL
};

// A busy evening's queue: every order ticket of the demo, its two receipts and one pre-check (a
// pre-check pauses half a second after each item line, so it stays the rare job it is at a venue).
inline const std::vector<DemoJob> kEveningMix = {
    {"podzakaz", 1, 1}, {"podzakaz", 2, 1},  {"zakaz_close", 3, 0}, {"podzakaz", 3, 1},
    {"podzakaz", 4, 1}, {"podzakaz", 1, 2},  {"zakaz_close", 1, 0}, {"podzakaz", 2, 2},
    {"podzakaz", 3, 2}, {"predcheck", 3, 0}, {"podzakaz", 4, 2}};

// How often `text` occurs in `output`.
std::size_t occurrences(const std::string& output, const std::string& text);

// The whole service as a venue runs it: the real talvex program (TALVEX_PROGRAM) against a
// database of the test's own on the private MariaDB server, holding the demo venue
// (db/schema.sql and db/demo.sql), and printing on directory printers in a folder of the test's
// own. start() runs the program; the fixture ends it, drops the database and removes the folder.
class VenueTest : public ::testing::Test {
 protected:
  // Where the test's database lives: on the MariaDB server that ctest shares between the tests, or
  // on a server of the test's own (PrivateServer), which the test may stop and start.
  enum class Server { Shared, Own };
  explicit VenueTest(Server server = Server::Shared) : server_kind_(server) {}

  void SetUp() override;
  void TearDown() override;

  // Runs the program on the test's database and printers with `tick_ms` ticks and `extra`
  // arguments. Fails the test when it cannot be started. A program started before is ended first.
  RunningProgram& start(int tick_ms = 20, const std::vector<std::string>& extra = {});
  // The same on the system's printers (CUPS_SERVER says which scheduler) instead of the directory
  // printers.
  RunningProgram& start_on_system_printers(int tick_ms = 20);
  // Another program on the test's database, printing on the directory printers under `printers`
  // (on the system's printers when `printers` is empty), writing to `log` in the test's folder.
  // Fails the test when it cannot be started.
  std::unique_ptr<RunningProgram> launch(const std::filesystem::path& printers, int tick_ms,
                                         const std::vector<std::string>& extra,
                                         const std::string& log);
  // The program's connection options for the test's database.
  std::vector<std::string> connection_arguments() const;

#ifdef TALVEX_WINDOWS_PROGRAM
  // The same with the Windows program (talvex.exe) under Wine, in a Wine prefix of the test's own
  // (a copy of the build's template, which the ctest fixture `wine` makes), on the directory
  // printers under `printers`
  // through Wine's Z: drive, or on Wine's printers (the scheduler CUPS_SERVER names) when
  // `printers` is empty.
  std::unique_ptr<RunningProgram> launch_windows(const std::filesystem::path& printers, int tick_ms,
                                                 const std::vector<std::string>& extra,
                                                 const std::string& log);
  // `program` (Wine, or one of its own programs) with `args` in the test's Wine prefix, writing to
  // `log` in the test's folder.
  std::unique_ptr<RunningProgram> run_in_wine(const std::string& program,
                                              const std::vector<std::string>& args,
                                              const std::string& log);
#endif

  // Waits until `done` holds, checking every 50 ms, for at most `limit` (generous, for a slow
  // machine and the sanitizers). False when time ran out or the program ended meanwhile.
  bool wait_for(const std::function<bool()>& done,
                std::chrono::seconds limit = std::chrono::seconds(90));
  // Waits until a job of the program reads the `clients` table. A test that keeps the table locked
  // from a connection of its own (LOCK TABLES clients WRITE) holds a bill there, in the middle of
  // its document: a bill reads its client after its item lines are drawn.
  bool wait_for_job_reading_clients();
  // Waits until `program` says that it runs: connected, with its timers and its handling of
  // termination requests in place.
  bool wait_until_serving(const RunningProgram& program);
  // Waits until no row of `print` waits.
  bool wait_for_empty_queue(std::chrono::seconds limit = std::chrono::seconds(90));

  // Makes the journal's statement that `event`s (INSERT or UPDATE) a line for which `condition`
  // (SQL on NEW, the line as it would be) holds wait, once its writer reaches it, until the test
  // kills the writer's session, and then fail: the record never lands. drop_held_record() removes
  // the trap.
  void hold_journal_record(const std::string& event, const std::string& condition);
  // The same for the record that a document ended: it has come out, the journal never learns it.
  void hold_document_end(const std::string& condition) {
    hold_journal_record("UPDATE", "NEW.state='ended' AND (" + condition + ")");
  }
  void drop_held_record();
  // Waits for a session held so; returns its id, or empty when none came in time.
  std::string wait_for_held_record();

  // Marks the rows `where` selects printed, as if an earlier run had printed them: the audit
  // leaves them out.
  void mark_printed_beforehand(const std::string& where);

  // Queues `count` jobs with the ids from `first_id`, the k-th of the kind mix[k % mix.size()],
  // each on a copy of its demo order of its own: order `first_id + k`, with the order's lines and
  // payments. So every document names the row that asked for it ("Заказ № <id>"). The `print`
  // rows come in one statement, as a front end's burst of work would; `first_id` must lie above
  // the demo's orders and rows.
  void queue_demo_copies(int first_id, int count, const std::vector<DemoJob>& mix);

  void sql(const std::string& statement);
  std::string scalar(const std::string& query);

  // A folder of directory printers with the demo venue's printers, empty.
  std::filesystem::path make_printers(const std::string& name);
  // Makes documents() read the printer folders under `root` as well (one folder per printer).
  void add_printer_root(const std::filesystem::path& root) {
    printer_folders_.push_back(root);
  }
  std::filesystem::path printers() const {
    return folder_ / "printers";
  }
  // Every document of the test's printer folders.
  std::vector<PrintedDocument> documents() const;
  // The audit of the rows the program found waiting or that the test queued; `may_repeat` names
  // documents that may come out once more than the rows ask for, `deleted` rows the front end
  // deleted after their jobs began (see audit_venue).
  VenueAudit audit(const std::map<std::string, int>& may_repeat = {},
                   const std::vector<DeletedRow>& deleted = {}) {
    return audit_venue(*connection_, documents(), printed_before_, may_repeat, deleted);
  }

  // The server of the test's own, when the fixture was made with Server::Own.
  PrivateServer& own_server() {
    return *own_server_;
  }

  std::filesystem::path folder_;
  std::string database_;
  data::ConnectionParams params_;
  std::unique_ptr<data::Connection> connection_;
  std::unique_ptr<RunningProgram> program_;
  // The rows the demo marks printed before the program ever ran.
  std::set<std::string> printed_before_;

 private:
  Server server_kind_;
  std::unique_ptr<PrivateServer> own_server_;
  data::ConnectionParams server_params_;
  std::vector<std::filesystem::path> printer_folders_;
  int starts_ = 0;
};

}  // namespace talvex::testing
