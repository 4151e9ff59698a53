#pragma once

#include <stdexcept>
#include <string>

namespace talvex::data {

// A failure of the database layer: the connection, a statement or a bound field. The message is
// the exact text the operator sees. The error remembers the code address that raised it, which the
// start-up failure box reports.
class DataError : public std::runtime_error {
 public:
  // `server_code` is the server's or client library's error number, 0 for failures of our own.
  explicit DataError(const std::string& message, unsigned server_code = 0);
  const void* address() const { return address_; }
  unsigned server_code() const { return server_code_; }

 private:
  const void* address_;
  unsigned server_code_;
};

// A text that had to be a number and is not, or arithmetic that leaves the 32-bit range.
class ConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace talvex::data
