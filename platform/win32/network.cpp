#include "platform/network.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <cstdint>

#include "platform/win32/wide_text.h"
#include "platform/win32/winsock.h"

namespace talvex::platform {

namespace win32 {

void start_winsock() {
  static const bool started = [] {
    WSADATA data{};
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  (void)started;
}

}  // namespace win32

Resolved resolve_ipv4(const std::string& host) {
  win32::start_winsock();
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int rc = getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (rc != 0)
    return {{}, rc};
  char text[INET_ADDRSTRLEN] = {};
  const auto* in = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
  inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
  freeaddrinfo(found);
  return {text, 0};
}

ProbeResult probe_tcp(const std::string& address, unsigned port,
                      std::chrono::milliseconds timeout) {
  win32::start_winsock();
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  if (inet_pton(AF_INET, address.c_str(), &to.sin_addr) != 1)
    return {WSAEINVAL, false};

  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET)
    return {WSAGetLastError(), false};
  u_long non_blocking = 1;
  ioctlsocket(s, FIONBIO, &non_blocking);
  ProbeResult result;
  if (connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
    const int error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK) {
      result.error = error;
    } else {
      // A refused connection shows in the exception set, an accepted one in the write set.
      fd_set writable, failed;
      FD_ZERO(&writable);
      FD_ZERO(&failed);
      FD_SET(s, &writable);
      FD_SET(s, &failed);
      timeval limit{static_cast<long>(timeout.count() / 1000),
                    static_cast<long>(timeout.count() % 1000 * 1000)};
      const int ready = select(0, nullptr, &writable, &failed, &limit);
      if (ready == 0) {
        result = {WSAETIMEDOUT, true};
      } else if (ready == SOCKET_ERROR) {
        result.error = WSAGetLastError();
      } else {
        int len = sizeof result.error;
        getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&result.error), &len);
      }
    }
  }
  closesocket(s);
  return result;
}

std::string socket_error_text(int code) {
  return win32::system_error_text(static_cast<unsigned long>(code));
}

std::string computer_name() {
  wchar_t name[256] = {};
  DWORD size = sizeof name / sizeof name[0];
  if (!GetComputerNameExW(ComputerNameDnsHostname, name, &size))
    return {};
  return win32::utf8(std::wstring_view(name, size));
}

}  // namespace talvex::platform
