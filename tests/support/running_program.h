#pragma once

#include <sys/types.h>

#include <chrono>
#include <csignal>

#include <filesystem>
#include <string>
#include <vector>

namespace talvex::testing {

// The talvex program running in the background, its standard output and error going to `log`.
// The destructor ends it as stop() does.
class RunningProgram {
 public:
  RunningProgram(const std::string& program, const std::vector<std::string>& args,
                 const std::filesystem::path& log);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool started() const { return pid_ > 0 || ended_; }
  pid_t pid() const { return pid_; }

  // Whether the program is still running; once it has ended, status() is its wait status.
  bool running();
  // Sends `signal` (SIGTERM by default) and waits for the program to end; returns its wait status.
  // A program still running after the grace period is killed (SIGKILL) and the calling test fails
  // naming it, so a hang ends the test instead of the whole test run.
  int stop(int signal = SIGTERM);
  int status() const { return status_; }
  // How long stop() waits for the program to end after its signal before it kills it.
  void set_grace(std::chrono::milliseconds grace) { grace_ = grace; }
  // What the program wrote so far.
  std::string output() const;

 private:
  std::string program_;
  std::filesystem::path log_;
  pid_t pid_ = -1;
  bool ended_ = false;
  int status_ = 0;
  // Far more than a clean end takes, even under the sanitizers, so that only a hang runs out of it.
  std::chrono::milliseconds grace_ = std::chrono::seconds(30);
};

// Whether a wait status is a normal exit with `code`.
bool exited_with(int status, int code);

}  // namespace talvex::testing
