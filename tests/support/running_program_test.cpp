// The helper that runs and stops a program: a program that will not end is killed and named, so a
// hang costs one test its grace period instead of stalling the whole run.

#include <sys/wait.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/support/running_program.h"
#include "tests/support/temporary_folder.h"

namespace talvex::testing {
namespace {

namespace fs = std::filesystem;

TEST(RunningProgramTest, ProgramThatEndsOnItsSignalStopsWithoutAFailure) {
  const TemporaryFolder folder;
  RunningProgram program("/bin/sleep", {"600"}, fs::path(folder.path()) / "sleep.log");
  ASSERT_TRUE(program.running());
  const int status = program.stop();
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  EXPECT_FALSE(program.running());
}

TEST(RunningProgramTest, ProgramThatIgnoresItsSignalIsKilledAndNamed) {
  const TemporaryFolder folder;
  // A hung program: termination requests are ignored, and stay ignored across the exec.
  RunningProgram program("/bin/sh", {"-c", "trap '' TERM; echo waiting; exec sleep 600"},
                         fs::path(folder.path()) / "hung.log");
  program.set_grace(std::chrono::milliseconds(300));
  // The trap is set once the shell has said so.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (program.output().find("waiting") == std::string::npos) {
    ASSERT_TRUE(program.running());
    ASSERT_LT(std::chrono::steady_clock::now(), deadline);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  int status = 0;
  EXPECT_NONFATAL_FAILURE(status = program.stop(), "sh (pid ");
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
  EXPECT_FALSE(program.running());
}

}  // namespace
}  // namespace talvex::testing
