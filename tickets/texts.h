#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace talvex::tickets {

// "<amount> тг.": whole tenge, a minus sign for negative amounts, no grouping.
std::string money_text(std::int32_t amount);

// Up to `count` characters of UTF-8 `text` from character `first` (counted from 0): whole Unicode
// characters, never a part of one.
std::string characters(std::string_view text, std::size_t first, std::size_t count);

// "dd.mm.yyyy hh:mm:ss" of seconds since 1970-01-01 00:00:00, read as local wall-clock time (no
// zone shift). The text must pass the integer parse.
std::string time_text(std::string_view stored_seconds);

// The same for a moment given in milliseconds since 1970 local time; the milliseconds are dropped.
std::string time_text_of_ms(std::int64_t local_ms);

// `pattern` for a moment in whole seconds since 1970 local time: "dd", "mm", "yyyy", "hh", "nn"
// (minutes) and "ss" are replaced; every other character stays.
std::string format_seconds(std::int64_t seconds, std::string_view pattern);

}  // namespace talvex::tickets
