#include "platform/escpos/escpos_raster.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/receipt_stream.h"

namespace talvex::platform::escpos {
namespace {

// An image with a dot pattern that differs from row to row and byte to byte, so a band out of
// place, a row shifted or a byte reversed shows; the bits past the width stay clear.
MonoImage pattern(int width, int height) {
  MonoImage image(width, height);
  std::uint32_t state = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      state = state * 1103515245u + 12345u;
      if ((state >> 16) % 3 == 0)
        image.set_black(x, y);
    }
  }
  return image;
}

TEST(EscposRasterTest, ASmallImageGivesTheseBytes) {
  MonoImage image(10, 2);
  image.set_black(0, 0);
  image.set_black(9, 0);
  image.set_black(4, 1);
  const std::string expected(
      "\x1b@"                       // initialise
      "\x1dv0\x00\x02\x00\x02\x00"  // raster: 2 bytes across, 2 rows
      "\x80\x40"                    // row 0: dots 0 and 9
      "\x08\x00"                    // row 1: dot 4
      "\x1dVB\x18",                 // feed to the cutter + 24, partial cut
      18);
  EXPECT_EQ(encode_receipt(image), expected);
}

struct BandCase {
  const char* name;
  int width;
  int height;
  std::vector<int> band_rows;
  int stride;
};

class EscposBandTest : public ::testing::TestWithParam<BandCase> {};

TEST_P(EscposBandTest, BandsReadBackToTheImage) {
  const BandCase& c = GetParam();
  const MonoImage image = pattern(c.width, c.height);
  const std::string bytes = encode_receipt(image);

  const testing::ReceiptStream stream = testing::read_receipt(bytes);
  EXPECT_TRUE(stream.initialised);
  EXPECT_TRUE(stream.cut);
  EXPECT_EQ(stream.cut_margin, kCutMargin);
  EXPECT_EQ(stream.band_rows, c.band_rows);
  for (const int across : stream.band_strides)
    EXPECT_EQ(across, c.stride);
  EXPECT_EQ(stream.image.height, c.height);
  EXPECT_TRUE(stream.image.bits == image.bits) << "the bands do not read back to the image";
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, EscposBandTest,
    ::testing::Values(BandCase{"NoRowsNoBand", 576, 0, {}, 72}, BandCase{"OneRow", 576, 1, {1}, 72},
                      BandCase{"OneFullBand", 576, 128, {128}, 72},
                      BandCase{"OneRowIntoASecondBand", 576, 129, {128, 1}, 72},
                      BandCase{"Roll58mm", 384, 300, {128, 128, 44}, 48},
                      BandCase{"WidthNotAWholeByte", 577, 5, {5}, 73}),
    [](const ::testing::TestParamInfo<BandCase>& param_info) {
      return std::string(param_info.param.name);
    });

TEST(EscposRasterTest, BitsThatDoNotMatchTheSizeAreRefused) {
  MonoImage image(16, 4);
  image.bits.pop_back();
  EXPECT_THROW(encode_receipt(image), std::invalid_argument);
}

}  // namespace
}  // namespace talvex::platform::escpos
