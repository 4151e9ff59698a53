#include "tests/support/raw_printer_port.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace talvex::testing {
namespace {

using Clock = std::chrono::steady_clock;

// Waits until `fd` can be read or the deadline passes; false at the deadline.
bool readable(int fd, Clock::time_point deadline) {
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
      return false;
    pollfd p{fd, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left));
    if (ready > 0)
      return true;
    if (ready < 0 && errno != EINTR)
      throw std::runtime_error(std::string("poll: ") + std::strerror(errno));
  }
}

}  // namespace

RawPrinterPort::RawPrinterPort() {
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0)
    throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(fd_, 4) != 0 ||
      getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    const int error = errno;
    close(fd_);
    throw std::runtime_error(std::string("cannot listen on 127.0.0.1: ") + std::strerror(error));
  }
  port_ = ntohs(a.sin_port);
}

RawPrinterPort::~RawPrinterPort() {
  close(fd_);
}

std::optional<std::string> RawPrinterPort::receive(std::chrono::milliseconds limit) {
  const Clock::time_point deadline = Clock::now() + limit;
  if (!readable(fd_, deadline))
    return std::nullopt;
  const int connection = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
  if (connection < 0)
    throw std::runtime_error(std::string("accept: ") + std::strerror(errno));
  std::string bytes;
  char buffer[65536];
  bool ended = false;
  while (!ended && readable(connection, deadline)) {
    const ssize_t n = read(connection, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0) {
      const int error = errno;
      close(connection);
      throw std::runtime_error(std::string("read: ") + std::strerror(error));
    }
    if (n == 0)
      ended = true;
    else
      bytes.append(buffer, static_cast<std::size_t>(n));
  }
  close(connection);
  if (!ended)
    return std::nullopt;
  return bytes;
}

}  // namespace talvex::testing
