#pragma once

#include <cstdint>

#include "data/errors.h"

namespace talvex::tickets {

// Sums of quantities and amounts, which must stay within 32 bits: a result beyond them fails with
// "Integer overflow" rather than printing a wrapped number.
inline std::int32_t checked_add(std::int32_t a, std::int32_t b) {
  std::int32_t out;
  if (__builtin_add_overflow(a, b, &out))
    throw data::ConvertError("Integer overflow");
  return out;
}

}  // namespace talvex::tickets
