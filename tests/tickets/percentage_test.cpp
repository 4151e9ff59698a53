#include "tickets/percentage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "data/errors.h"

namespace talvex::tickets {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

struct PercentageCase {
  const char* name;
  std::int32_t amount;
  std::int32_t percent;
  std::int64_t expected;
};

// 2.1 and 16.7 are not exact in base 2: 15 % of them lands just below 31.5 and just above 250.5
// (with 53-bit doubles, on 31.5 and below 250.5: 32 and 250).
// 1.25 * 10 and 13.75 * 10 are exact halves and go to the even integer.
constexpr PercentageCase kCases[] = {
    {"Service15Of210RoundsDown", 210, 15, 31},
    {"Service15Of1670RoundsUp", 1670, 15, 251},
    {"Ten1255RoundsUp", 1255, 10, 126},
    {"Ten1245RoundsDown", 1245, 10, 124},
    {"Ten125ExactHalfToEvenBelow", 125, 10, 12},
    {"Ten135RoundsUp", 135, 10, 14},
    {"Ten1005", 1005, 10, 100},
    {"TwentyFive118WhereDoublesGive30", 118, 25, 29},
    {"Ten1375ExactHalfToEvenAbove", 1375, 10, 138},
    {"ServiceOf1000", 1000, 10, 100},
    {"DiscountOf1100", 1100, 10, 110},
    {"ZeroPercent", 1234, 0, 0},
    {"ZeroAmount", 0, 15, 0},
    {"ZeroPercentOfNegative", -1234, 0, 0},
    {"HundredPercent", 1234, 100, 1234},
    {"HundredPercentOfMax", kMax, 100, kMax},
    {"HundredPercentOfMin", kMin, 100, kMin},
    {"NegativeAmount", -1255, 10, -126},
    {"NegativeAmountExactHalf", -125, 10, -12},
    {"NegativeAmountDoublesDisagree", -118, 25, -29},
    {"NegativePercent", 1670, -15, -251},
    {"BothNegative", -1245, -10, 124},
    {"OnePercentOfOne", 1, 1, 0},
    {"FiftyPercentOfOne", 1, 50, 0},
    {"FiftyPercentOfThree", 3, 50, 2},
    {"MoreThanHundred", 1005, 150, 1508},
    {"MinOfMin", kMin, kMin, 46116860184273879},
    {"MaxOfMin", kMax, kMin, -46116860162799043},
    {"MaxOfMax", kMax, kMax, 46116860141324206},
};

TEST(Percentage, NamedCases) {
  for (const auto& c : kCases)
    EXPECT_EQ(exact_percentage(c.amount, c.percent), c.expected) << c.name;
}

// The same arithmetic on the x87 format itself, for targets where long double is that format.
std::int64_t x87_percentage(std::int32_t amount, std::int32_t percent) {
  volatile long double q = static_cast<long double>(amount) / 100.0L;
  volatile long double r = q * percent;
  return static_cast<std::int64_t>(std::nearbyintl(r));
}

TEST(Percentage, AgreesWithX87ExtendedArithmetic) {
  if (std::numeric_limits<long double>::digits != 64)
    GTEST_SKIP() << "long double has " << std::numeric_limits<long double>::digits
                 << " significand bits here, not the 64 of the x87 format";

  int failures = 0;
  long cases = 0;
  const auto check = [&](std::int32_t amount, std::int32_t percent) {
    ++cases;
    const std::int64_t want = x87_percentage(amount, percent);
    const std::int64_t got = exact_percentage(amount, percent);
    if (got != want && ++failures <= 10)
      ADD_FAILURE() << percent << " % of " << amount << ": " << got << ", x87 gives " << want;
  };

  // Every bill up to 20000 either way at the percentages a venue uses, and a few it does not.
  const std::int32_t percents[] = {1, 2, 3, 5, 7, 10, 12, 15, 18, 20, 25, 33, 50, 99, 101, -15};
  for (std::int32_t amount = -20000; amount <= 20000; ++amount)
    for (const std::int32_t percent : percents)
      check(amount, percent);

  // The 32-bit extremes and their neighbours against each other and against small values.
  const std::int32_t edges[] = {kMin, kMin + 1, kMin + 2, kMax - 2, kMax - 1, kMax, -101, -100,
                                -99,  -1,       0,        1,        99,       100,  101};
  for (const std::int32_t amount : edges)
    for (const std::int32_t percent : edges)
      check(amount, percent);

  // Pseudo-random pairs over the whole range, and whole range amounts at small percentages. The
  // raw output of mt19937 is the same with every standard library.
  std::mt19937 generator(20240611);
  for (int i = 0; i < 100000; ++i) {
    const auto amount = static_cast<std::int32_t>(generator());
    check(amount, static_cast<std::int32_t>(generator()));
    check(amount, static_cast<std::int32_t>(generator() % 201) - 100);
  }

  EXPECT_EQ(failures, 0) << "of " << cases << " cases";
}

// The results right at and right beyond each end of the 32-bit range.
TEST(Percentage, PercentageOfFailsExactlyBeyond32Bits) {
  struct Edge {
    std::int32_t amount;
    std::int32_t percent;
    std::int64_t exact;
  };
  const Edge fits[] = {
      {kMax, 100, kMax},
      {kMin, 100, kMin},
      {-1073741824, 200, kMin},
      {kMax, -100, -kMax},
  };
  const Edge overflows[] = {
      {kMin, -100, std::int64_t{kMax} + 1},      {1073741824, 200, std::int64_t{kMax} + 1},
      {715827883, -300, std::int64_t{kMin} - 1}, {-715827883, 300, std::int64_t{kMin} - 1},
      {kMax, kMax, 46116860141324206},
  };
  for (const auto& e : fits) {
    ASSERT_EQ(exact_percentage(e.amount, e.percent), e.exact) << e.percent << " % of " << e.amount;
    EXPECT_EQ(percentage_of(e.amount, e.percent), e.exact) << e.percent << " % of " << e.amount;
  }
  for (const auto& e : overflows) {
    ASSERT_EQ(exact_percentage(e.amount, e.percent), e.exact) << e.percent << " % of " << e.amount;
    try {
      percentage_of(e.amount, e.percent);
      ADD_FAILURE() << e.percent << " % of " << e.amount << " did not fail";
    } catch (const data::ConvertError& error) {
      EXPECT_STREQ(error.what(), "Integer overflow");
    }
  }
  EXPECT_EQ(percentage_of(1670, 15), 251);
}

}  // namespace
}  // namespace talvex::tickets
