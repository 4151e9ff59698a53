// Two services on one database: a venue with two computers, each with its own printers, or the
// service started twice by mistake. Each job must print once, whichever service takes it. The real
// program runs twice against the private MariaDB server; the audit reads both services' printers.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/venue_test.h"

namespace talvex::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kJobs = 50;
constexpr int kTickMs = 2;

class TwoServicesTest : public VenueTest {};

TEST_F(TwoServicesTest, EveryJobPrintsOnceWhicheverServiceTakesIt) {
  mark_printed_beforehand("status='no'");
  const fs::path second_printers = make_printers("printers-2");
  RunningProgram& first = start(kTickMs);
  // The second service runs as on another computer: with a runtime folder of its own, so that the
  // lock that keeps one service per user and database on a computer does not stop it.
  const fs::path other_computer = folder_ / "runtime-2";
  fs::create_directory(other_computer);
  fs::permissions(other_computer, fs::perms::owner_all);
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string own_runtime = runtime != nullptr ? runtime : "";
  setenv("XDG_RUNTIME_DIR", other_computer.c_str(), 1);
  const std::unique_ptr<RunningProgram> second = launch(second_printers, kTickMs, {}, "second.log");
  setenv("XDG_RUNTIME_DIR", own_runtime.c_str(), 1);
  ASSERT_TRUE(wait_for([&] {
    return scalar("select count(*) from information_schema.processlist where db='" + database_ +
                  "' and id <> connection_id()") == "2";
  }));

  // The front end queues a burst of jobs; both services find them at their next check.
  queue_demo_copies(101, kJobs, kEveningMix);
  ASSERT_TRUE(wait_for_empty_queue()) << first.output() << second->output();
  EXPECT_TRUE(second->running()) << second->output();

  const VenueAudit audit = this->audit();
  EXPECT_TRUE(audit.clean()) << audit.report();
  EXPECT_EQ(audit.printed_rows, kJobs);
  RecordProperty("documents_of_the_first", static_cast<int>(printed_documents(printers()).size()));
  RecordProperty("documents_of_the_second",
                 static_cast<int>(printed_documents(second_printers).size()));
}

}  // namespace
}  // namespace talvex::testing
