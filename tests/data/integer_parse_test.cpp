#include "data/integer_parse.h"

#include <gtest/gtest.h>

#include <optional>

#include "data/errors.h"

namespace talvex::data {
namespace {

struct ParseCase {
  const char* name;
  const char* text;
  std::optional<std::int32_t> expected;  // nothing: the parse fails
};

class ParseIntTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseIntTest, AcceptsOnlyWholeIntegerTexts) {
  const ParseCase& c = GetParam();
  if (c.expected) {
    EXPECT_EQ(parse_int(c.text), *c.expected);
  } else {
    try {
      parse_int(c.text);
      FAIL() << "parsed '" << c.text << "'";
    } catch (const ConvertError& e) {
      EXPECT_EQ(e.what(), "'" + std::string(c.text) + "' is not a valid integer value");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseIntTest,
    ::testing::Values(
        ParseCase{"Zero", "0", 0}, ParseCase{"Plain", "42", 42},
        ParseCase{"LeadingBlanks", "   42", 42}, ParseCase{"Minus", "-5", -5},
        ParseCase{"Plus", "+5", 5}, ParseCase{"BlanksThenSign", "  -7", -7},
        ParseCase{"LeadingZeros", "007", 7}, ParseCase{"DollarHex", "$1F", 31},
        ParseCase{"ZeroXHex", "0x1f", 31}, ParseCase{"ZeroBigXHex", "0X1F", 31},
        ParseCase{"XHex", "x1F", 31}, ParseCase{"NegativeHex", "-$10", -16},
        ParseCase{"Max", "2147483647", 2147483647}, ParseCase{"Min", "-2147483648", INT32_MIN},
        ParseCase{"HexMax", "$7FFFFFFF", 2147483647},
        ParseCase{"AboveMax", "2147483648", std::nullopt},
        ParseCase{"BelowMin", "-2147483649", std::nullopt},
        ParseCase{"HexAboveMax", "$80000000", std::nullopt},
        ParseCase{"Huge", "99999999999999999999", std::nullopt},
        ParseCase{"Empty", "", std::nullopt}, ParseCase{"Blanks", "   ", std::nullopt},
        ParseCase{"SignOnly", "-", std::nullopt}, ParseCase{"DollarOnly", "$", std::nullopt},
        ParseCase{"ZeroXOnly", "0x", std::nullopt},
        ParseCase{"TrailingLetter", "12a", std::nullopt},
        ParseCase{"TrailingBlank", "1 ", std::nullopt},
        ParseCase{"InnerBlank", "1 2", std::nullopt},
        ParseCase{"BlankAfterSign", "- 1", std::nullopt}, ParseCase{"Tab", "\t1", std::nullopt},
        ParseCase{"DecimalComma", "12,5", std::nullopt}, ParseCase{"Boolean", "True", std::nullopt},
        ParseCase{"HexDigitInDecimal", "1F", std::nullopt},
        ParseCase{"TwoSigns", "+-1", std::nullopt}),
    [](const ::testing::TestParamInfo<ParseCase>& param_info) { return param_info.param.name; });

}  // namespace
}  // namespace talvex::data
