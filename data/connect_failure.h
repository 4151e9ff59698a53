#pragma once

#include <string>

namespace talvex::data {

// The messages for a connection that could not be opened at the socket level. `os_text` is the
// operating system's text for `code`; its trailing blanks, line breaks and full stops are dropped.
std::string cannot_connect_text(const std::string& host, int code, const std::string& os_text);
std::string connect_timed_out_text(const std::string& host);
std::string unknown_host_text(const std::string& host, int code);

}  // namespace talvex::data
