#include "tickets/percentage.h"

#include <bit>

#include "tickets/checked_math.h"

// The amounts are defined by 80-bit extended arithmetic, whose rounding decides cases such as 25 %
// of 118 (29, where 53-bit doubles give 30). `long double` cannot be trusted for it: it is 64 bits
// wide with MSVC and 128 bits on other targets. So the two roundings are done here exactly, on the
// integer significand, with 128-bit values held in two 64-bit words.

namespace talvex::tickets {
namespace {

struct U128 {
  std::uint64_t hi = 0;
  std::uint64_t lo = 0;
  bool operator==(const U128&) const = default;
};

U128 multiply(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t a_lo = a & 0xffffffffu, a_hi = a >> 32;
  const std::uint64_t b_lo = b & 0xffffffffu, b_hi = b >> 32;
  const std::uint64_t low = a_lo * b_lo, mid1 = a_lo * b_hi, mid2 = a_hi * b_lo;
  const std::uint64_t carry = (low >> 32) + (mid1 & 0xffffffffu) + (mid2 & 0xffffffffu);
  return {a_hi * b_hi + (mid1 >> 32) + (mid2 >> 32) + (carry >> 32),
          (carry << 32) | (low & 0xffffffffu)};
}

// Divides x by d in place and returns the remainder: schoolbook division on 32-bit digits, so
// every partial dividend fits 64 bits.
std::uint64_t divide(U128& x, std::uint32_t d) {
  std::uint64_t digits[4] = {x.hi >> 32, x.hi & 0xffffffffu, x.lo >> 32, x.lo & 0xffffffffu};
  std::uint64_t remainder = 0;
  for (std::uint64_t& digit : digits) {
    const std::uint64_t partial = (remainder << 32) | digit;
    digit = partial / d;
    remainder = partial % d;
  }
  x = {(digits[0] << 32) | digits[1], (digits[2] << 32) | digits[3]};
  return remainder;
}

// 0 <= n < 128 for both shifts.
U128 shift_right(U128 x, int n) {
  if (n == 0)
    return x;
  if (n >= 64)
    return {0, x.hi >> (n - 64)};
  return {x.hi >> n, (x.lo >> n) | (x.hi << (64 - n))};
}

U128 shift_left(U128 x, int n) {
  if (n == 0)
    return x;
  if (n >= 64)
    return {x.lo << (n - 64), 0};
  return {(x.hi << n) | (x.lo >> (64 - n)), x.lo << n};
}

int bit_length(U128 x) {
  return x.hi != 0 ? 128 - std::countl_zero(x.hi) : 64 - std::countl_zero(x.lo);
}

// x / 2^n rounded to nearest, ties to even, for 0 <= n < 128. `inexact` says that the exact value
// has nonzero bits below x, so a half in the dropped bits is more than a half.
U128 shift_right_rounded(U128 x, int n, bool inexact) {
  if (n == 0)
    return x;
  U128 q = shift_right(x, n);
  const U128 with_half = shift_right(x, n - 1);
  const bool half = (with_half.lo & 1) != 0;
  const bool below = inexact || shift_left(with_half, n - 1) != x;
  if (half && (below || (q.lo & 1) != 0)) {
    ++q.lo;
    if (q.lo == 0)
      ++q.hi;
  }
  return q;
}

// significand * 2^exponent with 2^63 <= significand < 2^64: a positive value of the extended
// format.
struct Extended {
  std::uint64_t significand;
  int exponent;
};

// Rounds x * 2^exponent (x >= 2^63) to the extended format; `inexact` as for shift_right_rounded.
Extended round_to_extended(U128 x, int exponent, bool inexact) {
  const int excess = bit_length(x) - 64;
  x = shift_right_rounded(x, excess, inexact);
  exponent += excess;
  if (x.hi != 0) {  // rounded up to 2^64
    x = shift_right(x, 1);
    ++exponent;
  }
  return {x.lo, exponent};
}

}  // namespace

std::int64_t exact_percentage(std::int32_t amount, std::int32_t percent) {
  if (amount == 0 || percent == 0)
    return 0;
  // Magnitudes up to 2^31; rounding to nearest is symmetric, so the sign is applied at the end.
  const auto magnitude = [](std::int32_t v) {
    return v < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  };

  // 1. q = amount / 100: the quotient of amount * 2^71 has 65 to 96 bits, enough to round from.
  U128 scaled = {magnitude(amount) << 7, 0};
  const bool inexact = divide(scaled, 100) != 0;
  const Extended q = round_to_extended(scaled, -71, inexact);

  // 2. r = q * percent: the product is exact in 128 bits.
  const Extended r = round_to_extended(multiply(q.significand, magnitude(percent)), q.exponent,
                                       /*inexact=*/false);

  // 3. To an integer. |r| < 2^56, so r.exponent lies between -70 and -8.
  const U128 whole = shift_right_rounded({0, r.significand}, -r.exponent, /*inexact=*/false);
  const auto result = static_cast<std::int64_t>(whole.lo);
  return (amount < 0) != (percent < 0) ? -result : result;
}

std::int32_t percentage_of(std::int32_t amount, std::int32_t percent) {
  return checked_int32(exact_percentage(amount, percent));
}

}  // namespace talvex::tickets
