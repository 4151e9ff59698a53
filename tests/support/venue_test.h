#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "data/connection.h"
#include "tests/support/printed_documents.h"
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

// The whole service as a venue runs it: the real talvex program (TALVEX_PROGRAM) against a
// database of the test's own on the private MariaDB server, holding the demo venue
// (db/schema.sql and db/demo.sql), and printing on directory printers in a folder of the test's
// own. start() runs the program; the fixture ends it, drops the database and removes the folder.
class VenueTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs the program on the test's database and printers with `tick_ms` ticks and `extra`
  // arguments. Fails the test when it cannot be started.
  RunningProgram& start(int tick_ms = 20, const std::vector<std::string>& extra = {});
  // The same on the system's printers (CUPS_SERVER says which scheduler) instead of the directory
  // printers.
  RunningProgram& start_on_system_printers(int tick_ms = 20);
  // The program's connection options for the test's database.
  std::vector<std::string> connection_arguments() const;

  // Waits until `done` holds, checking every 50 ms, for at most `limit` (generous, for a slow
  // machine and the sanitizers). False when time ran out or the program ended meanwhile.
  bool wait_for(const std::function<bool()>& done,
                std::chrono::seconds limit = std::chrono::seconds(90));
  // Waits until no row of `print` waits.
  bool wait_for_empty_queue(std::chrono::seconds limit = std::chrono::seconds(90));

  // Marks the rows `where` selects printed, as if an earlier run had printed them: the audit
  // leaves them out.
  void mark_printed_beforehand(const std::string& where);

  void sql(const std::string& statement);
  std::string scalar(const std::string& query);

  std::filesystem::path printers() const { return folder_ / "printers"; }
  std::vector<PrintedDocument> documents() const { return printed_documents(printers()); }
  // The audit of the rows the program found waiting or that the test queued.
  VenueAudit audit() { return audit_venue(*connection_, documents(), printed_before_); }

  std::filesystem::path folder_;
  std::string database_;
  data::ConnectionParams params_;
  std::unique_ptr<data::Connection> connection_;
  std::unique_ptr<RunningProgram> program_;
  RunningProgram& run_program(const std::vector<std::string>& args);

  // The rows the demo marks printed before the program ever ran.
  std::set<std::string> printed_before_;
};

}  // namespace talvex::testing
