#pragma once

#include <cstdint>

namespace talvex::tickets {

// A whole percentage of an amount, as the bill's service charge and discount are computed: the
// amount divided by 100, then multiplied by the percentage, each step rounded to the 64-bit
// significand of the 80-bit extended format (to nearest, ties to even), and the product rounded to
// the nearest integer, an exact half going to the even one. The result is the same on every
// compiler and platform.
std::int64_t exact_percentage(std::int32_t amount, std::int32_t percent);

// The same, for an amount that must stay within 32 bits: a result beyond them fails with
// data::ConvertError "Integer overflow".
std::int32_t percentage_of(std::int32_t amount, std::int32_t percent);

}  // namespace talvex::tickets
