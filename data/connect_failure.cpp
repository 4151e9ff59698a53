#include "data/connect_failure.h"

#include <cstdint>
#include <cstdio>

namespace talvex::data {
namespace {

// "<code>($<CODE IN HEX>)", the hexadecimal of the code's 32 bits.
std::string code_text(int code) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d($%X)", code, static_cast<std::uint32_t>(code));
  return buf;
}

}  // namespace

std::string cannot_connect_text(const std::string& host, int code, const std::string& os_text) {
  std::string reason = os_text;
  while (!reason.empty() &&
         (reason.back() == ' ' || reason.back() == '\t' || reason.back() == '\r' ||
          reason.back() == '\n' || reason.back() == '.')) {
    reason.pop_back();
  }
  return "Cannot connect to server on host '" + host + "':\r\n" + reason +
         ".\r\nSocket Error Code: " + code_text(code);
}

std::string connect_timed_out_text(const std::string& host) {
  return "Cannot connect to server on host '" + host + "': Connection timed out";
}

std::string unknown_host_text(const std::string& host, int code) {
  return "Unknown host '" + host + "'\r\nSocket Error Code: " + code_text(code);
}

}  // namespace talvex::data
