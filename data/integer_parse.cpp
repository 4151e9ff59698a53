#include "data/integer_parse.h"

#include <string>

#include "data/errors.h"

namespace talvex::data {
namespace {

[[noreturn]] void fail(std::string_view text) {
  throw ConvertError("'" + std::string(text) + "' is not a valid integer value");
}

int digit_value(char c, int base) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (base == 16 && c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

}  // namespace

std::int32_t parse_int(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ')
    ++i;

  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }

  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }

  if (i == text.size())
    fail(text);
  // The magnitude may reach 2^31 only for a negative value; checking as we go keeps it in 64 bits.
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int d = digit_value(text[i], base);
    if (d < 0)
      fail(text);
    magnitude = magnitude * base + d;
    if (magnitude > limit)
      fail(text);
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace talvex::data
