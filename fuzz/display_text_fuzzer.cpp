// The text a bound field shows, for every column kind and any value, NULL included: no crash,
// UTF-8 in gives UTF-8 out, nothing longer than a bound field holds, and per kind what the text
// must be. The first byte of an input chooses the kind and NULL; the rest is the value.

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/display_text.h"
#include "fuzz/check.h"

namespace {

using talvex::data::ColumnKind;
using talvex::fuzz::check;

constexpr ColumnKind kKinds[] = {ColumnKind::Integer,  ColumnKind::Boolean,  ColumnKind::Text,
                                 ColumnKind::LongText, ColumnKind::Number,   ColumnKind::Date,
                                 ColumnKind::Time,     ColumnKind::DateTime, ColumnKind::Raw};

// Well-formed UTF-8: no stray or missing continuation byte, no overlong form, no surrogate, nothing
// beyond U+10FFFF.
bool is_utf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto lead = static_cast<unsigned char>(s[i]);
    std::size_t length = 1;
    char32_t c = lead, least = 0;
    if (lead >= 0xF0 && lead <= 0xF7) {
      length = 4, c = lead & 0x07u, least = 0x10000;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, c = lead & 0x0Fu, least = 0x800;
    } else if (lead >= 0xC0 && lead <= 0xDF) {
      length = 2, c = lead & 0x1Fu, least = 0x80;
    } else if (lead >= 0x80) {
      return false;
    }
    if (i + length > s.size())
      return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(s[i + k]);
      if ((next & 0xC0) != 0x80)
        return false;
      c = (c << 6) | (next & 0x3Fu);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
      return false;
    i += length;
  }
  return true;
}

std::size_t characters(std::string_view s) {
  std::size_t n = 0;
  for (char c : s)
    n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

bool all_digits(std::string_view s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// Only the characters a formatted date, time or number is made of.
bool formatted(std::string_view s, std::string_view alphabet) {
  return s.find_first_not_of(alphabet) == std::string_view::npos;
}

// The text with every line break, CR LF, CR or LF, as one LF.
std::string unified_breaks(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
      continue;
    out += s[i] == '\r' ? '\n' : s[i];
  }
  return out;
}

std::optional<double> whole_number(std::string_view s) {
  double value = 0;
  const char* end = s.data() + s.size();
  const auto [stop, error] = std::from_chars(s.data(), end, value);
  if (s.empty() || error != std::errc() || stop != end)
    return std::nullopt;
  return value;
}

void check_number(std::string_view value, const std::string& shown) {
  const std::optional<double> number = whole_number(value);
  if (!number) {
    check(shown == value, "a Number text that is not a number shows as it came");
    return;
  }
  if (!std::isfinite(*number)) {
    check(shown == "INF" || shown == "-INF" || shown == "NAN", "a value that is not finite");
    return;
  }
  check(formatted(shown, "-0123456789,E"), "a number shows digits, a comma, E and signs only");
  // Read back with the point, the text is the value to 15 significant digits.
  std::string point = shown;
  for (char& c : point)
    c = c == ',' ? '.' : c == 'E' ? 'e' : c;
  char fifteen[40];
  const auto written =
      std::to_chars(fifteen, fifteen + sizeof fifteen, *number, std::chars_format::scientific, 14);
  const std::optional<double> back = whole_number(point);
  check(back.has_value(), "a number's text reads back as a number");
  check(*back == *whole_number(std::string_view(fifteen, written.ptr)),
        "a number's text keeps 15 significant digits");
}

bool date_shape(std::string_view s) {
  return s.size() == 10 && s[4] == '-' && s[7] == '-' && all_digits(s.substr(0, 4)) &&
         all_digits(s.substr(5, 2)) && all_digits(s.substr(8, 2));
}

void check_kind(ColumnKind kind, std::string_view value, const std::string& shown) {
  switch (kind) {
    case ColumnKind::Text:
    case ColumnKind::Raw:
      check(shown == value, "a text shows as it came");
      break;
    case ColumnKind::Boolean:
      check(shown == "True" || shown == "False", "a boolean shows True or False");
      break;
    case ColumnKind::Integer:
      if (all_digits(value)) {
        const std::size_t first = value.find_first_not_of('0');
        check(shown == (first == std::string_view::npos ? "0" : value.substr(first)),
              "an integer shows without the padding of ZEROFILL");
      } else if (value.empty() || value.front() != '0') {
        check(shown == value, "an integer without padding shows as it came");
      }
      break;
    case ColumnKind::LongText:
      for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == '\r')
          check(i + 1 < shown.size() && shown[i + 1] == '\n', "a long text has no lone CR");
        if (shown[i] == '\n')
          check(i > 0 && shown[i - 1] == '\r', "a long text has no lone LF");
      }
      check(unified_breaks(shown) == unified_breaks(value), "a long text keeps its characters");
      break;
    case ColumnKind::Number:
      check_number(value, shown);
      break;
    case ColumnKind::Date:
      if (date_shape(value)) {
        const std::string_view year = value.substr(0, 4), month = value.substr(5, 2),
                               day = value.substr(8, 2);
        const std::string date =
            std::string(day) + "." + std::string(month) + "." + std::string(year);
        check(shown == (month == "00" || day == "00" ? "" : date), "a date shows as DD.MM.YYYY");
      } else {
        check(shown == value, "a text that is not a date shows as it came");
      }
      break;
    case ColumnKind::Time:
    case ColumnKind::DateTime:
      check(shown == value || formatted(shown, "-0123456789.: "),
            "a time shows as it came or as digits and separators");
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  const ColumnKind kind = kKinds[(data[0] & 0x7F) % std::size(kKinds)];
  const bool null = (data[0] & 0x80) != 0;
  const std::string_view value(reinterpret_cast<const char*>(data + 1), size - 1);

  const std::string shown = talvex::data::display_text(
      kind, null ? std::nullopt : std::optional<std::string_view>(value));
  if (null) {
    check(shown.empty(), "NULL shows as an empty text");
    return 0;
  }
  if (is_utf8(value))
    check(is_utf8(shown), "UTF-8 in gives UTF-8 out");
  if (shown == talvex::data::kMemoCapacityText)
    return 0;
  check(characters(shown) <= talvex::data::kMemoCapacity, "no longer than a bound field holds");
  check_kind(kind, value, shown);
  return 0;
}
