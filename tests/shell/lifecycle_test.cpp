// The program's life as each system gives it: started by the venue's computer, asked to end in
// the middle of a job, started a second time. Each case runs on every program the build has: the
// Linux one, and the Windows one under Wine where the Windows build is given.

#include <signal.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "data/connection.h"
#include "tests/support/venue_test.h"

namespace talvex::testing {
namespace {

namespace fs = std::filesystem;

class LifecycleTest;

// A program of the build, as the venue's computer starts it, and how its system asks it to end.
struct Launcher {
  const char* name;
  std::unique_ptr<RunningProgram> (LifecycleTest::*launch)(const fs::path& printers, int tick_ms,
                                                           const std::vector<std::string>& extra,
                                                           const std::string& log);
  // Asks `program` to end; returns once the request is certainly waiting for it, false when it
  // could not be made.
  bool (LifecycleTest::*ask_to_end)(RunningProgram& program);
  const char* how;  // the request, in a case's name
};

// A case's program and end, in a failure's line.
void PrintTo(const Launcher& launcher, std::ostream* out) {
  *out << launcher.name << ", " << launcher.how;
}

class LifecycleTest : public VenueTest {
 public:
  template <int kSignal>
  bool send_signal(RunningProgram& program) {
    return kill(program.pid(), kSignal) == 0;
  }

#ifdef TALVEX_WINDOWS_PROGRAM
  // Ends the Windows session as Windows does (tests/shell/end_session.cpp), once its first message
  // waits in the program's queue.
  bool end_windows_session(RunningProgram&) {
    end_session_ = run_in_wine(TALVEX_WINE, {TALVEX_WINDOWS_END_SESSION}, "end-session.log");
    return wait_for([this] { return end_session_->output().find("asked") != std::string::npos; });
  }
#endif

 protected:
  // Every program of the build, once for each way its system asks it to end.
  static std::vector<Launcher> launchers();

  std::unique_ptr<RunningProgram> launch_with(const Launcher& launcher, const std::string& log) {
    return (this->*launcher.launch)(printers(), 20, {}, log);
  }

  std::unique_ptr<RunningProgram> end_session_;
};

std::vector<Launcher> LifecycleTest::launchers() {
  std::vector<Launcher> all = {
      {"Linux", &LifecycleTest::launch, &LifecycleTest::send_signal<SIGTERM>, "SIGTERM"},
      {"Linux", &LifecycleTest::launch, &LifecycleTest::send_signal<SIGHUP>, "SIGHUP"},
  };
#ifdef TALVEX_WINDOWS_PROGRAM
  all.push_back({"Windows", &LifecycleTest::launch_windows, &LifecycleTest::end_windows_session,
                 "SessionEnd"});
#endif
  return all;
}

class EndingTest : public LifecycleTest, public ::testing::WithParamInterface<Launcher> {
 public:
  using LifecycleTest::launchers;
};

// Asked to end while a document is in hand, the program ends it, marks its row and exits with 0;
// started again, it prints the rest of the queue, nothing twice.
TEST_P(EndingTest, EndAskedDuringAJobComesAfterItAndTheNextStartPrintsTheRest) {
  const Launcher& launcher = GetParam();
  mark_printed_beforehand("status='no'");
  std::unique_ptr<RunningProgram> program = launch_with(launcher, "talvex.log");
  ASSERT_TRUE(wait_until_serving(*program)) << program->output();

  // A pre-check is queued, and behind it more of the evening's jobs. The pre-check reads its client
  // after its items are drawn, and holds there while another connection keeps the clients table
  // locked; the end is asked for then, and certainly waits when the table is given back.
  auto locker = std::make_unique<data::Connection>(params_);
  locker->execute("LOCK TABLES clients WRITE");
  sql("INSERT INTO print (id, zakaz, type, status) VALUES (20, 4, 'predcheck', 'no')");
  ASSERT_TRUE(wait_for_job_reading_clients()) << program->output();
  queue_demo_copies(101, 6, kEveningMix);
  ASSERT_TRUE((this->*launcher.ask_to_end)(*program)) << program->output();
  locker.reset();

  ASSERT_TRUE(wait_for([&] { return !program->running(); }) || !program->running())
      << program->output();
  EXPECT_TRUE(exited_with(program->status(), 0)) << program->output();
  EXPECT_EQ(scalar("select status from print where id = 20"), "yes");
  int bills = 0;
  for (const PrintedDocument& d : documents()) {
    if (d.order_line() == "Счет на оплату № 4") {
      ++bills;
      EXPECT_EQ(d.texts.back().text, "Тел: +7 (700) 555 01 01") << d.record;
    }
  }
  EXPECT_EQ(bills, 2);  // control_printer "1": both copies, whole
  EXPECT_TRUE(unfinished_files(printers()).empty());
  EXPECT_EQ(scalar("select count(*) from talvex_documents where state='handed'"), "0");
  const VenueAudit ended = audit();
  EXPECT_TRUE(ended.clean()) << ended.report();

  program = launch_with(launcher, "talvex-again.log");
  ASSERT_TRUE(wait_for_empty_queue()) << program->output();
  const VenueAudit audit = this->audit();
  EXPECT_TRUE(audit.clean()) << audit.report();
  EXPECT_EQ(audit.printed_rows, 7);
  EXPECT_EQ(audit.repeated, 0);
}

INSTANTIATE_TEST_SUITE_P(Programs, EndingTest, ::testing::ValuesIn(EndingTest::launchers()),
                         [](const ::testing::TestParamInfo<Launcher>& p) {
                           return std::string(p.param.name) + p.param.how;
                         });

class SecondStartTest : public LifecycleTest, public ::testing::WithParamInterface<Launcher> {
 public:
  // One case per program, whatever ends it.
  static std::vector<Launcher> programs() {
    std::vector<Launcher> one_each;
    for (const Launcher& l : launchers()) {
      if (one_each.empty() || std::string(one_each.back().name) != l.name)
        one_each.push_back(l);
    }
    return one_each;
  }
};

// A second start for the same database says that Talvex runs already and exits with 3; the first
// goes on serving.
TEST_P(SecondStartTest, SaysSoAndExitsWith3) {
  const Launcher& launcher = GetParam();
  std::unique_ptr<RunningProgram> first = launch_with(launcher, "talvex.log");
  ASSERT_TRUE(wait_until_serving(*first)) << first->output();

  std::unique_ptr<RunningProgram> second =
      (this->*launcher.launch)(make_printers("second"), 20, {}, "second.log");
  ASSERT_TRUE(wait_for([&] { return !second->running(); })) << second->output();
  EXPECT_TRUE(exited_with(second->status(), 3)) << second->output();
  EXPECT_NE(second->output().find("Talvex is already running for database '" + database_ + "'"),
            std::string::npos)
      << second->output();
  EXPECT_EQ(second->output().find("Talvex is running for"), std::string::npos) << second->output();
  EXPECT_TRUE(first->running());
  EXPECT_TRUE(wait_for_empty_queue()) << first->output();
}

INSTANTIATE_TEST_SUITE_P(Programs, SecondStartTest,
                         ::testing::ValuesIn(SecondStartTest::programs()),
                         [](const ::testing::TestParamInfo<Launcher>& p) {
                           return std::string(p.param.name);
                         });

}  // namespace
}  // namespace talvex::testing
