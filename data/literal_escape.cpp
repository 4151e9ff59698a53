#include "data/literal_escape.h"

#include <mysql.h>

namespace talvex::data {

std::string escape_literal(st_mysql* mysql, std::string_view value) {
  // Every byte becomes at most two, and the client library writes a terminating zero.
  std::string out(value.size() * 2 + 1, '\0');
  const unsigned long n = mysql_real_escape_string(mysql, out.data(), value.data(), value.size());
  out.resize(n);
  return out;
}

}  // namespace talvex::data
