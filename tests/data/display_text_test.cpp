#include "data/display_text.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "data/connection.h"
#include "tests/support/database_fixture.h"

namespace talvex::data {
namespace {

struct KindCase {
  const char* name;
  const char* column_type;
  const char* stored;  // SQL literal
  std::string shown;
};

// Each case stores one value in a column of its type and reads it back from the server through
// the service's connection, so the kind is the one the server reports.
class DisplayTextTest : public testing::DatabaseTest,
                        public ::testing::WithParamInterface<KindCase> {};

TEST_P(DisplayTextTest, ShowsTheColumnKindsValue) {
  const KindCase& c = GetParam();
  sql("DROP TABLE IF EXISTS kinds");
  sql(std::string("CREATE TABLE kinds (v ") + c.column_type + ") CHARACTER SET utf8mb4");
  sql(std::string("INSERT INTO kinds VALUES (") + c.stored + ")");

  Connection connection(params());
  const ResultTable result = connection.query("select * from kinds");
  ASSERT_EQ(result.rows.size(), 1u);
  EXPECT_EQ(result.rows[0][0], c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DisplayTextTest,
    ::testing::Values(
        KindCase{"NegativeInt", "INT", "-5", "-5"}, KindCase{"NullInt", "INT", "NULL", ""},
        KindCase{"UnsignedBigint", "BIGINT UNSIGNED", "18446744073709551615",
                 "18446744073709551615"},
        KindCase{"SmallintZero", "SMALLINT", "0", "0"},
        KindCase{"ZerofillInt", "INT(5) ZEROFILL", "42", "42"},
        KindCase{"ZerofillZero", "INT(5) ZEROFILL", "0", "0"},
        KindCase{"WideTinyint", "TINYINT(4)", "5", "5"},
        KindCase{"BooleanTrue", "TINYINT(1)", "1", "True"},
        KindCase{"BooleanNegative", "TINYINT(1)", "-3", "True"},
        KindCase{"BooleanFalse", "TINYINT(1)", "0", "False"},
        KindCase{"VarcharKeepsLoneLf", "VARCHAR(20)", "'a\\nb'", "a\nb"},
        KindCase{"CharTrailingBlanks", "CHAR(5)", "'ab'", "ab"},
        KindCase{"TextTurnsBreaksIntoCrLf", "TEXT", "'a\\nb\\r\\nc\\rd'", "a\r\nb\r\nc\r\nd"},
        KindCase{"CyrillicAndFourByte", "VARCHAR(40)", "'Борщ 🍲 «Ё»'", "Борщ 🍲 «Ё»"},
        KindCase{"DecimalWhole", "DECIMAL(10,2)", "1500.00", "1500"},
        KindCase{"DecimalFraction", "DECIMAL(10,2)", "12.50", "12,5"},
        KindCase{"DecimalNegativeFraction", "DECIMAL(10,2)", "-0.75", "-0,75"},
        KindCase{"DoubleLarge", "DOUBLE", "1.5e20", "1,5E20"},
        KindCase{"DoubleSmall", "DOUBLE", "0.000001", "1E-6"},
        KindCase{"Date", "DATE", "'2015-04-07'", "07.04.2015"},
        KindCase{"ZeroDate", "DATE", "'0000-00-00'", ""},
        KindCase{"TimeMorning", "TIME", "'09:05:07'", "9:05:07"},
        KindCase{"TimeEvening", "TIME", "'23:59:59'", "23:59:59"},
        KindCase{"DatetimeWithTime", "DATETIME", "'2015-04-07 09:46:40'", "07.04.2015 9:46:40"},
        KindCase{"DatetimeMidnight", "DATETIME", "'2015-04-07 00:00:00'", "07.04.2015"},
        KindCase{"ZeroDatetime", "DATETIME", "'0000-00-00 00:00:00'", ""},
        KindCase{"Timestamp", "TIMESTAMP NULL", "'2015-04-07 12:00:00'", "07.04.2015 12:00:00"},
        KindCase{"TextBeyondMemoCapacity", "MEDIUMTEXT", "REPEAT('ж', 65536)",
                 "(Text exceeds memo capacity)"},
        KindCase{"TextAtMemoCapacity", "MEDIUMTEXT", "REPEAT('ж', 65535)",
                 [] {
                   std::string s;
                   for (int i = 0; i < 65535; ++i)
                     s += "ж";
                   return s;
                 }()}),
    [](const ::testing::TestParamInfo<KindCase>& param_info) { return param_info.param.name; });

TEST(GeneralNumberText, FifteenSignificantDigitsAndTheDecimalComma) {
  EXPECT_EQ(general_number_text(0), "0");
  EXPECT_EQ(general_number_text(-2.5), "-2,5");
  EXPECT_EQ(general_number_text(1.0 / 3), "0,333333333333333");
  EXPECT_EQ(general_number_text(123456789012345.0), "123456789012345");
  EXPECT_EQ(general_number_text(1234567890123456.0), "1,23456789012346E15");
  EXPECT_EQ(general_number_text(0.00001), "0,00001");
  EXPECT_EQ(general_number_text(std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(general_number_text(-std::numeric_limits<double>::infinity()), "-INF");
  EXPECT_EQ(general_number_text(std::numeric_limits<double>::quiet_NaN()), "NAN");
}

TEST(NumberText, ATextThatIsNotWhollyANumberShowsAsItCame) {
  EXPECT_EQ(display_text(ColumnKind::Number, "12.5"), "12,5");
  for (const char* text : {"", "12.5x", "abc", " 1", "1e999"})
    EXPECT_EQ(display_text(ColumnKind::Number, std::string_view(text)), text);
}

// The server writes dates and times in fixed forms; a text of another form shows as it came
// rather than in pieces moved about, which could cut a character in two.
TEST(DateAndTimeText, ATextNotInTheServersFormShowsAsItCame) {
  const struct {
    ColumnKind kind;
    std::string_view text;
  } cases[] = {
      {ColumnKind::Date, "2015-04-7"},
      {ColumnKind::Date, "Дата-04-07"},
      {ColumnKind::Date, "2015/04/07"},
      {ColumnKind::Time, "x:05:07"},
      {ColumnKind::Time, "09:05:0é"},
      {ColumnKind::Time, "09:05"},
      {ColumnKind::DateTime, "2015-04-07"},
      {ColumnKind::DateTime, "2015-04-07T09:46:40"},
      {ColumnKind::DateTime, "2015-04-07 09:46:4é"},
      {ColumnKind::DateTime, std::string_view("\xff\x03]]e(&(\xff\xff", 10)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(display_text(c.kind, c.text), c.text);
  // The forms themselves, with the longer hours and the fraction a TIME may have.
  EXPECT_EQ(display_text(ColumnKind::Time, "-838:59:59"), "-838:59:59");
  EXPECT_EQ(display_text(ColumnKind::Time, "09:05:07.250"), "9:05:07");
  EXPECT_EQ(display_text(ColumnKind::DateTime, "2015-04-07 09:46:40.500000"), "07.04.2015 9:46:40");
  EXPECT_EQ(display_text(ColumnKind::DateTime, "2015-04-07 00:00:00.000000"), "07.04.2015");
}

}  // namespace
}  // namespace talvex::data
