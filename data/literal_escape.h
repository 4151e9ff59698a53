#pragma once

#include <string>
#include <string_view>

struct st_mysql;

namespace talvex::data {

// `value` as it must stand between the single quotes of a string literal on the connection of
// `mysql`: escaped for that connection's character set, with backslashes or, when its server runs
// with NO_BACKSLASH_ESCAPES, by doubling quotes. The handle needs to be initialised with its
// character set, not connected.
std::string escape_literal(st_mysql* mysql, std::string_view value);

// The length of a text as the client library takes it: an unsigned long, 32 bits on Windows.
// Throws std::length_error for a text too long for it (far beyond any statement the server takes).
unsigned long client_length(std::size_t length);

}  // namespace talvex::data
