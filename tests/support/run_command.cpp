#include "tests/support/run_command.h"

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <stdexcept>

namespace talvex::testing {
namespace {

std::string exit_status_text(int status) {
  if (status == -1)
    return "could not be waited for";
  if (WIFEXITED(status))
    return "exit code " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status))
    return "killed by signal " + std::to_string(WTERMSIG(status));
  return "status " + std::to_string(status);
}

}  // namespace

std::string run_command(const std::string& command) {
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr)
    throw std::runtime_error("cannot run " + command);
  std::string out;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
    out.append(buf, n);
  const int status = pclose(p);
  if (status != 0)
    throw std::runtime_error("failed (" + exit_status_text(status) + "): " + command + "\n" + out);
  return out;
}

std::string shell_quote(const std::string& word) {
  std::string out = "'";
  for (char c : word)
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string find_program(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(std::string(path != nullptr ? path : "") + ":/usr/sbin:/sbin");
  for (std::string folder; std::getline(folders, folder, ':');) {
    if (folder.empty())
      continue;
    const std::string candidate = folder + "/" + name;
    std::error_code ignored;
    if (std::filesystem::is_regular_file(candidate, ignored) &&
        access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  throw std::runtime_error(name + " not found in PATH, /usr/sbin or /sbin");
}

}  // namespace talvex::testing
