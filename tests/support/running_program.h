#pragma once

#include <sys/types.h>

#include <csignal>

#include <filesystem>
#include <string>
#include <vector>

namespace talvex::testing {

// The talvex program running in the background, its standard output and error going to `log`.
// The destructor ends it with SIGTERM and reaps it.
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
  int stop(int signal = SIGTERM);
  int status() const { return status_; }
  // What the program wrote so far.
  std::string output() const;

 private:
  std::filesystem::path log_;
  pid_t pid_ = -1;
  bool ended_ = false;
  int status_ = 0;
};

// Whether a wait status is a normal exit with `code`.
bool exited_with(int status, int code);

}  // namespace talvex::testing
