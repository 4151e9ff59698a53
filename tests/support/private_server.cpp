#include "tests/support/private_server.h"

#include <signal.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "tests/support/database_fixture.h"
#include "tests/support/run_command.h"

namespace talvex::testing {
namespace {

std::string script() {
  return shell_quote(source_path("scripts/mariadb-private.sh"));
}

// A new empty folder of the server's own; the script adopts it as its private folder.
std::string make_server_folder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/talvex-server-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("mkdtemp failed for " + pattern);
  return pattern;
}

unsigned port_of(const std::string& output) {
  const unsigned long port = std::stoul(output);
  if (port == 0 || port > 65535)
    throw std::runtime_error("mariadb-private.sh printed no port: " + output);
  return static_cast<unsigned>(port);
}

}  // namespace

PrivateServer::PrivateServer() : dir_(make_server_folder()) {
  try {
    port_ = port_of(run_command(script() + " start " + shell_quote(dir_)));
  } catch (...) {
    remove();
    throw;
  }
}

PrivateServer::~PrivateServer() {
  remove();
}

void PrivateServer::remove() noexcept {
  // The script stops the server and gives up the folder's port claim before it deletes the folder.
  try {
    run_command(script() + " remove " + shell_quote(dir_) + " 2>&1");
  } catch (...) {
  }
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

void PrivateServer::stop() {
  run_command(script() + " stop " + shell_quote(dir_));
}

void PrivateServer::start() {
  run_command(script() + " start " + shell_quote(dir_) + " " + std::to_string(port_));
}

data::ConnectionParams PrivateServer::params(const std::string& database) const {
  data::ConnectionParams p;
  p.host = "127.0.0.1";
  p.port = port_;
  p.database = database;
  return p;
}

namespace {

// The server's process, from the pid file it writes in its data folder.
pid_t server_pid(const std::string& dir) {
  std::ifstream in(dir + "/data/pid");
  long pid = 0;
  if (!(in >> pid) || pid <= 0)
    throw std::runtime_error("no pid file of the server in " + dir);
  return static_cast<pid_t>(pid);
}

}  // namespace

void PrivateServer::freeze() {
  if (kill(server_pid(dir_), SIGSTOP) != 0)
    throw std::runtime_error("cannot stop the server in " + dir_);
}

void PrivateServer::thaw() {
  if (kill(server_pid(dir_), SIGCONT) != 0)
    throw std::runtime_error("cannot let the server in " + dir_ + " go on");
}

}  // namespace talvex::testing
