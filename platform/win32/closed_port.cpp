#include "platform/closed_port.h"

#include <winsock2.h>

#include <stdexcept>
#include <string>

#include "platform/win32/wide_text.h"
#include "platform/win32/winsock.h"

namespace talvex::platform {

ClosedPort::ClosedPort() {
  win32::start_winsock();
  // Not inherited, so that the programs started meanwhile do not keep the port after it; and
  // exclusive, so that no other socket binds the port while it is held.
  const SOCKET s =
      WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
  if (s == INVALID_SOCKET)
    throw std::runtime_error("socket: " + win32::system_error_text(WSAGetLastError()));
  BOOL exclusive = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
             sizeof exclusive);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof a;
  if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    const int error = WSAGetLastError();
    closesocket(s);
    throw std::runtime_error("cannot bind a port on 127.0.0.1: " +
                             win32::system_error_text(static_cast<unsigned long>(error)));
  }
  socket_ = static_cast<std::intptr_t>(s);
  port_ = ntohs(a.sin_port);
}

ClosedPort::~ClosedPort() {
  closesocket(static_cast<SOCKET>(socket_));
}

}  // namespace talvex::platform
