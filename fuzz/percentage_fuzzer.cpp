// The percentage of the bills against the arithmetic that defines it: amount / 100 * percent in
// the 80-bit extended format (64-bit significand, rounding to nearest even), rounded to an integer
// with halves to even. The reference needs a long double of exactly that format, as on x86; where
// long double is another format the target only checks that nothing crashes.

#include <cfenv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include "data/errors.h"
#include "fuzz/check.h"
#include "tickets/percentage.h"

namespace {

constexpr bool kExtendedLongDouble = std::numeric_limits<long double>::digits == 64;

// Through volatile, so that the compiler cannot fold the steps into other roundings.
std::int64_t reference_percentage(std::int32_t amount, std::int32_t percent) {
  volatile long double a = amount;
  volatile long double q = a / 100.0L;
  volatile long double r = q * static_cast<long double>(percent);
  return static_cast<std::int64_t>(std::nearbyint(static_cast<long double>(r)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using talvex::fuzz::check;
  std::uint8_t bytes[8] = {};
  std::memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);
  std::int32_t amount = 0, percent = 0;
  std::memcpy(&amount, bytes, 4);
  std::memcpy(&percent, bytes + 4, 4);

  const std::int64_t exact = talvex::tickets::exact_percentage(amount, percent);
  bool overflow = false;
  try {
    check(talvex::tickets::percentage_of(amount, percent) == exact,
          "percentage_of differs from exact_percentage");
  } catch (const talvex::data::ConvertError&) {
    overflow = true;
  }
  check(overflow == (exact < std::numeric_limits<std::int32_t>::min() ||
                     exact > std::numeric_limits<std::int32_t>::max()),
        "percentage_of fails exactly when the result leaves 32 bits");

  if constexpr (kExtendedLongDouble) {
    check(std::fegetround() == FE_TONEAREST, "the rounding mode is to nearest");
    check(exact == reference_percentage(amount, percent),
          "exact_percentage differs from the 80-bit extended arithmetic");
  }
  return 0;
}
