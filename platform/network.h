#pragma once

#include <chrono>
#include <string>

namespace talvex::platform {

// The IPv4 address of a host name (a numeric address is returned as it is), or the resolver's
// error code when the name cannot be resolved.
struct Resolved {
  std::string address;  // dotted IPv4, empty on failure
  int error = 0;
};
Resolved resolve_ipv4(const std::string& host);

// Opens and closes a TCP connection to find out why a connection failed: 0 when it succeeds,
// otherwise the operating system's socket error code. `timed_out` is set when no answer came.
struct ProbeResult {
  int error = 0;
  bool timed_out = false;
};
ProbeResult probe_tcp(const std::string& address, unsigned port, std::chrono::milliseconds timeout);

// The operating system's text for a socket error code, as it gives it.
std::string socket_error_text(int code);

// This computer's name on the network, as the operating system gives it; empty when it will not.
std::string computer_name();

}  // namespace talvex::platform
