#include "platform/closed_port.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace talvex::platform {

ClosedPort::ClosedPort() {
  // Close-on-exec, so that the programs started meanwhile do not keep the port after it.
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0)
    throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    const int error = errno;
    close(fd);
    throw std::runtime_error(std::string("cannot bind a port on 127.0.0.1: ") +
                             std::strerror(error));
  }
  socket_ = fd;
  port_ = ntohs(a.sin_port);
}

ClosedPort::~ClosedPort() {
  close(static_cast<int>(socket_));
}

}  // namespace talvex::platform
