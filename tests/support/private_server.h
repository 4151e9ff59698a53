#pragma once

#include <string>

#include "data/connection.h"

namespace talvex::testing {

// A MariaDB server of the test's own, for tests that stop and start the server and must not
// disturb the shared one. Started by the constructor in a new folder, removed with the folder by
// the destructor. Its folder claims the port for the object's whole life, so while the server is
// stopped no other private server takes the port, and start() gets it back.
class PrivateServer {
 public:
  PrivateServer();
  ~PrivateServer();
  PrivateServer(const PrivateServer&) = delete;
  PrivateServer& operator=(const PrivateServer&) = delete;

  void stop();
  void start();  // on the same port as before
  // Holds the server still (SIGSTOP), as a server that stops answering, and lets it go on.
  void freeze();
  void thaw();
  unsigned port() const { return port_; }
  // The server with `database` selected.
  data::ConnectionParams params(const std::string& database) const;

 private:
  void remove() noexcept;

  std::string dir_;
  unsigned port_ = 0;
};

}  // namespace talvex::testing
