// The strict integer parse against a reference written another way: the blanks, the sign and the
// prefix taken off by a table, the digits read by std::from_chars. Both must accept the same texts
// with the same value, and a refusal must name the text.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/errors.h"
#include "data/integer_parse.h"
#include "fuzz/check.h"

namespace {

std::optional<std::int32_t> reference_parse(std::string_view text) {
  const std::size_t start = text.find_first_not_of(' ');
  text.remove_prefix(start == std::string_view::npos ? text.size() : start);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  for (const std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
    if (text.starts_with(prefix)) {
      base = 16;
      text.remove_prefix(prefix.size());
      break;
    }
  }
  if (text.empty())
    return std::nullopt;
  // from_chars takes no sign for an unsigned type, so only digits of the base get through.
  std::uint64_t magnitude = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, magnitude, base);
  if (error != std::errc() || stop != end)
    return std::nullopt;
  if (magnitude > (negative ? 2147483648u : 2147483647u))
    return std::nullopt;
  const auto value = static_cast<std::int64_t>(magnitude);
  return static_cast<std::int32_t>(negative ? -value : value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using talvex::fuzz::check;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<std::int32_t> expected = reference_parse(text);
  try {
    const std::int32_t value = talvex::data::parse_int(text);
    check(expected.has_value(), "parse_int read a text that the reference refuses");
    check(*expected == value, "parse_int read another value than the reference");
  } catch (const talvex::data::ConvertError& failure) {
    check(!expected.has_value(), "parse_int refused a text that the reference reads");
    // An exception's message is a C string: it ends at the text's first NUL, if any.
    const std::string message = "'" + std::string(text) + "' is not a valid integer value";
    check(failure.what() == message.substr(0, message.find('\0')),
          "the refusal does not name the text");
  }
  return 0;
}
