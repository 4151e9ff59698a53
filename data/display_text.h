#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace talvex::data {

// How a column's values are shown, decided from the type the server reports for the column.
enum class ColumnKind {
  Integer,   // TINYINT of another width, SMALLINT, MEDIUMINT, INT, BIGINT, YEAR
  Boolean,   // TINYINT(1)
  Text,      // CHAR, VARCHAR, ENUM, SET
  LongText,  // TEXT and its size variants
  Number,    // DECIMAL, FLOAT, DOUBLE
  Date,
  Time,
  DateTime,  // DATETIME, TIMESTAMP
  Raw,       // binary and other kinds the service's tables do not use: the bytes as they come
};

// The longest value, in characters, that a bound field holds; a longer one shows
// kMemoCapacityText instead.
inline constexpr std::size_t kMemoCapacity = 65535;
inline constexpr std::string_view kMemoCapacityText = "(Text exceeds memo capacity)";

// The text a bound field shows for a value as the server sends it in a text result: empty for
// NULL and for a zero date, otherwise formatted by kind with Russian regional conventions (decimal
// comma, dd.MM.yyyy dates, H:mm:ss times). The result does not depend on the process's locale.
std::string display_text(ColumnKind kind, std::optional<std::string_view> value);

// General number format: at most 15 significant digits, no trailing zeros, no separator for a
// whole value, the decimal comma; scientific form ("1,5E20") for values too large or too small;
// "INF", "-INF" and "NAN" for values that are not finite.
std::string general_number_text(double value);

}  // namespace talvex::data
