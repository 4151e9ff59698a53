#include "tests/support/private_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "tests/support/database_fixture.h"
#include "tests/support/run_command.h"

namespace talvex::testing {
namespace {

std::string script() {
  return source_path("scripts/mariadb-private.sh");
}

}  // namespace

PrivateServer::PrivateServer() {
  char pattern[] = "/tmp/talvex-server-XXXXXX";
  if (mkdtemp(pattern) == nullptr)
    throw std::runtime_error("mkdtemp failed");
  dir_ = pattern;
  port_ = static_cast<unsigned>(std::stoul(run_command(script() + " start " + dir_)));
}

PrivateServer::~PrivateServer() {
  try {
    run_command(script() + " stop " + dir_);
  } catch (...) {
  }
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

void PrivateServer::stop() {
  run_command(script() + " stop " + dir_);
}

void PrivateServer::start() {
  run_command(script() + " start " + dir_ + " " + std::to_string(port_));
}

data::ConnectionParams PrivateServer::params(const std::string& database) const {
  data::ConnectionParams p;
  p.host = "127.0.0.1";
  p.port = port_;
  p.database = database;
  return p;
}

unsigned unused_port() {
  // Bind to port 0 to be given a free port, then release it; nothing listens there afterwards.
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  close(fd);
  return ntohs(a.sin_port);
}

}  // namespace talvex::testing
