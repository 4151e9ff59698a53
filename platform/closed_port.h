#pragma once

#include <cstdint>

namespace talvex::platform {

// A TCP port on 127.0.0.1 on which nothing listens, held for the object's life: a socket is bound
// to it without listening, so a connection to it is refused, and no other process can bind the
// port or take it for an outgoing connection meanwhile (the socket allows no address reuse).
class ClosedPort final {
 public:
  ClosedPort();  // throws std::runtime_error when no port can be bound
  ~ClosedPort();
  ClosedPort(const ClosedPort&) = delete;
  ClosedPort& operator=(const ClosedPort&) = delete;

  unsigned port() const { return port_; }

 private:
  std::intptr_t socket_ = -1;  // its descriptor, or its handle on Windows
  unsigned port_ = 0;
};

}  // namespace talvex::platform
