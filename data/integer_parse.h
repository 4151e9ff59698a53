#pragma once

#include <cstdint>
#include <string_view>

namespace talvex::data {

// The one text-to-integer conversion of the service. Leading blanks are skipped, an optional "-"
// or "+" follows, then decimal digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X";
// nothing may follow and the value must fit 32 bits. Anything else throws ConvertError with
// "'<text>' is not a valid integer value".
std::int32_t parse_int(std::string_view text);

}  // namespace talvex::data
