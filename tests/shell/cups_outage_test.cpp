// The service printing on CUPS queues while one of them refuses jobs or is stopped for a while.
// The real program runs without --printers against the private MariaDB server and a CUPS scheduler
// of the test's own, whose capture backend keeps every job it prints; the audit reads those jobs
// back.

#include <stdlib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/database_fixture.h"
#include "tests/support/run_command.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/venue_test.h"

namespace talvex::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kFirstJob = 101;
constexpr int kTickMs = 5;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A CUPS scheduler of the test's own (scripts/cups-private.sh in a new folder), with the queues
// bar-58, Kassa-80, kitchen-80 and Stop-80 (which refuses jobs). The test may reject and stop its
// queues without disturbing the tests that print on the shared scheduler meanwhile, so its jobs
// need no token to be told apart from theirs. CUPS_SERVER points at it while it runs, for this
// process and the programs it starts.
class OwnCups {
 public:
  OwnCups() : dir_(fs::path(folder_.path()) / "cups") {
    std::string socket = run_command(script() + " start " + shell_quote(dir_.string()));
    socket.erase(socket.find_last_not_of('\n') + 1);
    setenv("CUPS_SERVER", socket.c_str(), 1);
  }
  ~OwnCups() {
    try {
      run_command(script() + " stop " + shell_quote(dir_.string()) + " 2>&1");
    } catch (...) {
    }
    unsetenv("CUPS_SERVER");
  }
  OwnCups(const OwnCups&) = delete;
  OwnCups& operator=(const OwnCups&) = delete;

  // Runs a CUPS command ("cupsreject kitchen-80") on this scheduler; returns its output.
  std::string command(const std::string& line) const {
    const std::size_t end = line.find(' ');
    return run_command(shell_quote(find_program(line.substr(0, end))) +
                       (end == std::string::npos ? "" : line.substr(end)) + " 2>&1");
  }
  // Whether every job the scheduler was given has been printed (or cancelled).
  bool idle() const { return command("lpstat -o").empty(); }

  // The jobs a queue printed, in the order it printed them, read back as documents: the title the
  // job was submitted under and the lines of its PDF.
  std::vector<PrintedDocument> printed(const std::string& queue) const {
    std::vector<std::pair<long, fs::path>> jobs;
    for (const fs::directory_entry& e : fs::directory_iterator(dir_ / "out" / queue)) {
      const std::string name = e.path().filename().string();
      if (name.front() != '.' && e.path().extension() == ".title")
        jobs.emplace_back(std::stol(e.path().stem().string()), e.path());
    }
    std::sort(jobs.begin(), jobs.end());
    std::vector<PrintedDocument> out;
    for (const auto& [number, title] : jobs) {
      PrintedDocument d;
      d.record = fs::path(title).replace_extension(".data");
      d.printer = queue;
      d.title = read_file(title);
      std::istringstream lines(
          run_command("pdftotext -layout " + shell_quote(d.record.string()) + " - 2>/dev/null"));
      for (std::string line; std::getline(lines, line);) {
        line.erase(0, line.find_first_not_of(' '));
        if (!line.empty())
          d.texts.push_back({0, 0, 0, line});
      }
      out.push_back(std::move(d));
    }
    return out;
  }

 private:
  static std::string script() { return shell_quote(source_path("scripts/cups-private.sh")); }

  TemporaryFolder folder_;
  fs::path dir_;
};

// The queues of the scheduler as the `printers` rows name them: the cash desk on Kassa-80, the bar
// and the control copies on bar-58, the kitchen on kitchen-80. Stop-80 plays no part.
constexpr const char* kQueues[] = {"bar-58", "Kassa-80", "kitchen-80"};

class CupsOutageTest : public VenueTest {
 protected:
  void SetUp() override {
    VenueTest::SetUp();
    sql("UPDATE printers SET port = CASE name WHEN 'KASSA' THEN 1 WHEN 'BAR' THEN 0 "
        "WHEN 'KITCHEN' THEN 2 WHEN 'CONTROL' THEN 0 END");
    mark_printed_beforehand("status='no'");
    queue_demo_copies(kFirstJob, 22, kEveningMix);
  }

  void start_on_cups() { program_ = launch({}, kTickMs, {}, "talvex.log"); }

  std::vector<PrintedDocument> cups_documents() const {
    std::vector<PrintedDocument> out;
    for (const char* queue : kQueues) {
      for (PrintedDocument& d : cups_.printed(queue))
        out.push_back(std::move(d));
    }
    return out;
  }
  VenueAudit cups_audit() { return audit_venue(*connection_, cups_documents(), printed_before_); }

  // The queue of each job the scheduler holds, as `lpstat -o` lists them ("kitchen-80-17 ...").
  std::vector<std::string> pending() const {
    std::vector<std::string> out;
    std::istringstream lines(cups_.command("lpstat -o"));
    for (std::string line; std::getline(lines, line);) {
      const std::string job = line.substr(0, line.find(' '));
      out.push_back(job.substr(0, job.rfind('-')));
    }
    return out;
  }

  std::string waiting(const std::string& condition) {
    return scalar("select count(*) from print where status='no' and " + condition);
  }

  OwnCups cups_;
};

TEST_F(CupsOutageTest, JobsForARejectingQueueWaitWhileOthersPrintAndComeOutOnceItAccepts) {
  cups_.command("cupsreject -r 'out of paper' kitchen-80");
  start_on_cups();

  // Every sub-order of the demo has kitchen lines: its bar ticket comes out, its kitchen ticket is
  // refused, and the row waits while the bills behind it print.
  ASSERT_TRUE(wait_for([&] {
    return waiting("type<>'podzakaz'") == "0" && waiting("type='podzakaz'") != "0" &&
           program_->output().find("Destination \"kitchen-80\" is not accepting jobs") !=
               std::string::npos;
  })) << program_->output();
  // Once every waiting sub-order has been tried, its bar ticket has come out, and both copies of
  // every bill.
  ASSERT_TRUE(wait_for([&] {
    const int sub_orders = std::stoi(waiting("type='podzakaz'"));
    const int bills = std::stoi(scalar("select count(*) from print where status='yes' and id >= " +
                                       std::to_string(kFirstJob)));
    return cups_.idle() && static_cast<int>(cups_documents().size()) == sub_orders + 2 * bills;
  })) << cups_audit().report();
  EXPECT_TRUE(cups_.printed("kitchen-80").empty());
  const VenueAudit during = cups_audit();
  EXPECT_TRUE(during.clean()) << during.report();

  cups_.command("cupsaccept kitchen-80");
  ASSERT_TRUE(wait_for_empty_queue()) << program_->output();
  ASSERT_TRUE(wait_for([&] { return cups_.idle(); }));
  const VenueAudit audit = cups_audit();
  EXPECT_TRUE(audit.clean()) << audit.report();
  EXPECT_EQ(audit.printed_rows, 22);
  EXPECT_FALSE(cups_.printed("kitchen-80").empty());
}

TEST_F(CupsOutageTest, JobsForAStoppedQueueWaitInTheSpoolerAndComeOutOnceWhenItStartsAgain) {
  cups_.command("cupsdisable kitchen-80");
  start_on_cups();

  // A stopped queue still takes jobs: every row is handed over and marked, and the kitchen's
  // tickets wait in the spooler.
  ASSERT_TRUE(wait_for_empty_queue()) << program_->output();
  // One kitchen ticket per sub-order waits; everything else has been printed.
  const std::string podzakaz = scalar(
      "select count(*) from print where type='podzakaz' and id >= " + std::to_string(kFirstJob));
  ASSERT_TRUE(wait_for([&] {
    return pending() == std::vector<std::string>(std::stoul(podzakaz), "kitchen-80");
  })) << cups_.command("lpstat -o");
  EXPECT_TRUE(cups_.printed("kitchen-80").empty());

  cups_.command("cupsenable kitchen-80");
  ASSERT_TRUE(wait_for([&] { return cups_.idle(); }));
  const VenueAudit audit = cups_audit();
  EXPECT_TRUE(audit.clean()) << audit.report();
  EXPECT_EQ(audit.printed_rows, 22);
}

}  // namespace
}  // namespace talvex::testing
