#include "data/display_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace talvex::data {
namespace {

bool all_digits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The server's forms: "YYYY-MM-DD" and "[-]H...H:MM:SS[.f...f]" (the hours of a TIME may be
// negative or more than two digits). A text of another form, which the server does not send,
// shows as it came: rearranging its pieces could cut a character in two.
bool is_date(std::string_view raw) {
  return raw.size() == 10 && raw[4] == '-' && raw[7] == '-' && all_digits(raw.substr(0, 4)) &&
         all_digits(raw.substr(5, 2)) && all_digits(raw.substr(8, 2));
}

bool is_time(std::string_view raw) {
  if (!raw.empty() && raw.front() == '-')
    raw.remove_prefix(1);
  const auto colon = raw.find(':');
  if (colon == std::string_view::npos || !all_digits(raw.substr(0, colon)) ||
      raw.size() < colon + 6 || raw[colon + 3] != ':' || !all_digits(raw.substr(colon + 1, 2)) ||
      !all_digits(raw.substr(colon + 4, 2)))
    return false;
  const std::string_view fraction = raw.substr(colon + 6);
  return fraction.empty() ||
         (fraction.front() == '.' && (fraction.size() == 1 || all_digits(fraction.substr(1))));
}

// "YYYY-MM-DD" -> "DD.MM.YYYY"; empty for a zero date or a date without month or day.
std::string date_text(std::string_view raw) {
  if (!is_date(raw))
    return std::string(raw);
  const std::string_view year = raw.substr(0, 4), month = raw.substr(5, 2), day = raw.substr(8, 2);
  if (month == "00" || day == "00")
    return {};
  std::string out;
  out.append(day).append(".").append(month).append(".").append(year);
  return out;
}

// "HH:MM:SS[.ffffff]" (the hours may be negative or longer) -> "H:mm:ss".
std::string time_text(std::string_view raw) {
  if (!is_time(raw))
    return std::string(raw);
  std::string sign;
  if (raw.front() == '-') {
    sign = "-";
    raw.remove_prefix(1);
  }
  const auto colon = raw.find(':');
  std::string_view hours = raw.substr(0, colon);
  while (hours.size() > 1 && hours.front() == '0')
    hours.remove_prefix(1);
  return sign + std::string(hours) + std::string(raw.substr(colon, 6));
}

// "YYYY-MM-DD HH:MM:SS[.ffffff]": the date, and the time unless it is exactly midnight.
std::string date_time_text(std::string_view raw) {
  if (raw.size() < 19 || raw[10] != ' ' || !is_date(raw.substr(0, 10)) ||
      !is_time(raw.substr(11)) || raw[11] == '-')
    return std::string(raw);
  const std::string date = date_text(raw.substr(0, 10));
  if (date.empty())
    return date;
  const std::string_view time = raw.substr(11);
  const bool midnight = time.substr(0, 8) == "00:00:00" &&
                        time.substr(8).find_first_not_of(".0") == std::string_view::npos;
  return midnight ? date : date + " " + time_text(time);
}

// Every line break (CR, LF or CR LF) becomes CR LF.
std::string crlf_text(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r') {
      out += "\r\n";
      if (i + 1 < raw.size() && raw[i + 1] == '\n')
        ++i;
    } else if (raw[i] == '\n') {
      out += "\r\n";
    } else {
      out += raw[i];
    }
  }
  return out;
}

std::size_t utf8_length(std::string_view text) {
  std::size_t n = 0;
  for (char c : text)
    n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

// A ZEROFILL column comes padded ("00042"); an integer reads without leading zeros, so that keys
// compared as texts match whatever the column's display width.
std::string integer_text(std::string_view raw) {
  const std::size_t digits = raw.find_first_not_of('0');
  if (digits == std::string_view::npos)
    return raw.empty() ? std::string() : std::string("0");
  return std::string(raw.substr(digits));
}

// The server writes numbers with a decimal point whatever the locale; std::from_chars reads them
// so too, where strtod would stop at the point under a locale with a decimal comma (which the
// program takes from its environment) and turn 1500.50 into 1500. A text that is not wholly a
// number, which the server does not send, shows as it came.
std::string number_text(std::string_view raw) {
  double value = 0;
  const char* end = raw.data() + raw.size();
  const auto [stop, error] = std::from_chars(raw.data(), end, value);
  if (raw.empty() || error != std::errc() || stop != end)
    return std::string(raw);
  return general_number_text(value);
}

std::string kind_text(ColumnKind kind, std::string_view raw) {
  switch (kind) {
    case ColumnKind::Boolean:
      return raw.find_first_not_of("-0") == std::string_view::npos ? "False" : "True";
    case ColumnKind::LongText:
      return crlf_text(raw);
    case ColumnKind::Number:
      return number_text(raw);
    case ColumnKind::Date:
      return date_text(raw);
    case ColumnKind::Time:
      return time_text(raw);
    case ColumnKind::DateTime:
      return date_time_text(raw);
    case ColumnKind::Integer:
      return integer_text(raw);
    case ColumnKind::Text:
    case ColumnKind::Raw:
      break;
  }
  return std::string(raw);
}

}  // namespace

std::string display_text(ColumnKind kind, std::optional<std::string_view> value) {
  if (!value)
    return {};
  std::string text = kind_text(kind, *value);
  if (utf8_length(text) > kMemoCapacity)
    return std::string(kMemoCapacityText);
  return text;
}

std::string general_number_text(double value) {
  if (value == 0)
    return "0";
  if (std::isnan(value))
    return "NAN";
  if (std::isinf(value))
    return value < 0 ? "-INF" : "INF";
  // 15 significant digits: d.dddddddddddddde[+-]x, with a point whatever the locale.
  char buf[40];
  const auto written =
      std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
  std::string s(buf, written.ptr);
  const auto e = s.find('e');
  const int exponent = std::atoi(s.c_str() + e + 1);
  std::string mantissa = s.substr(0, e);
  const bool negative = mantissa.front() == '-';
  if (negative)
    mantissa.erase(0, 1);
  std::string digits = mantissa.substr(0, 1) + mantissa.substr(2);
  while (digits.size() > 1 && digits.back() == '0')
    digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent >= 15 || exponent < -5) {
    out += digits.substr(0, 1);
    if (digits.size() > 1)
      out.append(",").append(digits, 1);
    out.append("E").append(std::to_string(exponent));
  } else if (exponent < 0) {
    out.append("0,").append(static_cast<std::size_t>(-exponent - 1), '0').append(digits);
  } else {
    const auto whole = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= whole) {
      out += digits + std::string(whole - digits.size(), '0');
    } else {
      out += digits.substr(0, whole) + "," + digits.substr(whole);
    }
  }
  return out;
}

}  // namespace talvex::data
