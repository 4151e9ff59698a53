#include "data/literal_escape.h"

#include <mysql.h>

#include <limits>
#include <stdexcept>

namespace talvex::data {

unsigned long client_length(std::size_t length) {
  if (length > std::numeric_limits<unsigned long>::max())
    throw std::length_error("a text of " + std::to_string(length) +
                            " bytes is too long for the database client");
  return static_cast<unsigned long>(length);
}

std::string escape_literal(st_mysql* mysql, std::string_view value) {
  // Every byte becomes at most two, and the client library writes a terminating zero.
  std::string out(value.size() * 2 + 1, '\0');
  const unsigned long n =
      mysql_real_escape_string(mysql, out.data(), value.data(), client_length(value.size()));
  out.resize(n);
  return out;
}

}  // namespace talvex::data
