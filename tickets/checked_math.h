#pragma once

#include <cstdint>
#include <limits>

#include "data/errors.h"

namespace talvex::tickets {

// Quantities, prices, sums and totals must stay within 32 bits: a result beyond them fails with
// "Integer overflow" rather than printing a wrapped number. Every operand fits 32 bits, so the
// exact result always fits 64.
inline std::int32_t checked_int32(std::int64_t exact) {
  if (exact < std::numeric_limits<std::int32_t>::min() ||
      exact > std::numeric_limits<std::int32_t>::max())
    throw data::ConvertError("Integer overflow");
  return static_cast<std::int32_t>(exact);
}

inline std::int32_t checked_add(std::int32_t a, std::int32_t b) {
  return checked_int32(std::int64_t{a} + b);
}

inline std::int32_t checked_subtract(std::int32_t a, std::int32_t b) {
  return checked_int32(std::int64_t{a} - b);
}

inline std::int32_t checked_multiply(std::int32_t a, std::int32_t b) {
  return checked_int32(std::int64_t{a} * b);
}

}  // namespace talvex::tickets
