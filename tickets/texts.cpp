#include "tickets/texts.h"

#include <cstdio>

#include "data/integer_parse.h"

namespace talvex::tickets {
namespace {

struct CivilTime {
  std::int64_t year;
  int month, day, hour, minute, second;
};

// Days since 1970-01-01 to a proleptic Gregorian date (H. Hinnant's civil_from_days).
CivilTime civil(std::int64_t seconds) {
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  return {year,
          month,
          day,
          static_cast<int>(rest / 3600),
          static_cast<int>(rest % 3600 / 60),
          static_cast<int>(rest % 60)};
}

std::string two_digits(int n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

}  // namespace

std::string characters(std::string_view text, std::size_t first, std::size_t count) {
  // A character starts at every byte that is not a UTF-8 continuation byte.
  const auto starts_character = [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  };
  std::size_t index = 0;
  std::size_t begin = text.size();
  std::size_t end = text.size();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!starts_character(text[i]))
      continue;
    if (index == first)
      begin = i;
    if (index == first + count) {
      end = i;
      break;
    }
    ++index;
  }
  return begin < end ? std::string(text.substr(begin, end - begin)) : std::string();
}

std::string money_text(std::int32_t amount) {
  return std::to_string(amount) + " тг.";
}

std::string format_seconds(std::int64_t seconds, std::string_view pattern) {
  const CivilTime t = civil(seconds);
  std::string out;
  for (std::size_t i = 0; i < pattern.size();) {
    const std::string_view rest = pattern.substr(i);
    if (rest.substr(0, 4) == "yyyy") {
      char buf[24];
      std::snprintf(buf, sizeof buf, "%04lld", static_cast<long long>(t.year));
      out += buf;
      i += 4;
      continue;
    }
    const std::string_view two = rest.substr(0, 2);
    if (two == "dd")
      out += two_digits(t.day);
    else if (two == "mm")
      out += two_digits(t.month);
    else if (two == "hh")
      out += two_digits(t.hour);
    else if (two == "nn")
      out += two_digits(t.minute);
    else if (two == "ss")
      out += two_digits(t.second);
    else {
      out += pattern[i++];
      continue;
    }
    i += 2;
  }
  return out;
}

std::string time_text(std::string_view stored_seconds) {
  const std::int64_t ms = static_cast<std::int64_t>(data::parse_int(stored_seconds)) * 1000;
  return time_text_of_ms(ms);
}

std::string time_text_of_ms(std::int64_t local_ms) {
  // Whole seconds towards zero, as the distance from 1970 in whole milliseconds divided by 1000.
  const std::int64_t seconds = local_ms / 1000;
  return format_seconds(seconds, "dd.mm.yyyy hh:nn:ss");
}

}  // namespace talvex::tickets
