#include "platform/network.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace talvex::platform {

Resolved resolve_ipv4(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int rc = getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (rc != 0)
    return {{}, rc == EAI_SYSTEM ? errno : rc};
  char text[INET_ADDRSTRLEN] = {};
  const auto* in = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
  inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
  freeaddrinfo(found);
  return {text, 0};
}

ProbeResult probe_tcp(const std::string& address, unsigned port,
                      std::chrono::milliseconds timeout) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  if (inet_pton(AF_INET, address.c_str(), &to.sin_addr) != 1)
    return {EINVAL, false};

  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0)
    return {errno, false};
  ProbeResult result;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
    if (errno != EINPROGRESS) {
      result.error = errno;
    } else {
      pollfd p{fd, POLLOUT, 0};
      const int ready = poll(&p, 1, static_cast<int>(timeout.count()));
      if (ready == 0) {
        result = {ETIMEDOUT, true};
      } else if (ready < 0) {
        result.error = errno;
      } else {
        socklen_t len = sizeof result.error;
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &result.error, &len);
      }
    }
  }
  close(fd);
  return result;
}

std::string socket_error_text(int code) {
  char buf[256];
  return strerror_r(code, buf, sizeof buf);  // the GNU variant returns the text
}

std::string computer_name() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0)
    return {};
  return name;
}

}  // namespace talvex::platform
