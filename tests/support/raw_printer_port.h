#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace talvex::testing {

// A receipt printer's raw TCP port, as a network printer's 9100, on 127.0.0.1 at a port the system
// chooses and the object holds for its life: a test points a queue at socket://127.0.0.1:port()
// and reads what the queue sends.
class RawPrinterPort final {
 public:
  RawPrinterPort();  // throws std::runtime_error when no port can be bound
  ~RawPrinterPort();
  RawPrinterPort(const RawPrinterPort&) = delete;
  RawPrinterPort& operator=(const RawPrinterPort&) = delete;

  unsigned port() const { return port_; }

  // The bytes of the next connection, read until the sender ends its side, as a printer reads a
  // job; the connection is closed then, which tells the sender the job is done. Nothing when no
  // connection arrives, or it does not end, within `limit`.
  std::optional<std::string> receive(std::chrono::milliseconds limit);

 private:
  int fd_ = -1;
  unsigned port_ = 0;
};

}  // namespace talvex::testing
