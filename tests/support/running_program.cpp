#include "tests/support/running_program.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace talvex::testing {

RunningProgram::RunningProgram(const std::string& program, const std::vector<std::string>& args,
                               const std::filesystem::path& log)
    : program_(std::filesystem::path(program).filename().string()), log_(log) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
    pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
}

RunningProgram::~RunningProgram() {
  stop();
}

bool RunningProgram::running() {
  if (pid_ <= 0)
    return false;
  if (waitpid(pid_, &status_, WNOHANG) != pid_)
    return true;
  pid_ = -1;
  ended_ = true;
  return false;
}

int RunningProgram::stop(int signal) {
  if (pid_ <= 0)
    return status_;
  const pid_t pid = pid_;
  kill(pid, signal);
  const auto deadline = std::chrono::steady_clock::now() + grace_;
  while (running()) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      while (waitpid(pid, &status_, 0) < 0 && errno == EINTR) {
      }
      pid_ = -1;
      ended_ = true;
      ADD_FAILURE() << program_ << " (pid " << pid << ") did not end within " << grace_.count()
                    << " ms of signal " << signal << " and was killed; its output:\n"
                    << output();
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return status_;
}

std::string RunningProgram::output() const {
  std::ifstream in(log_, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool exited_with(int status, int code) {
  return WIFEXITED(status) && WEXITSTATUS(status) == code;
}

}  // namespace talvex::testing
