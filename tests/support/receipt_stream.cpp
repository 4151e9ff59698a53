#include "tests/support/receipt_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "platform/escpos/escpos_raster.h"

namespace talvex::testing {
namespace {

int byte_at(const std::string& bytes, std::size_t at) {
  if (at >= bytes.size())
    throw std::runtime_error("the stream ends inside a command at offset " + std::to_string(at));
  return static_cast<unsigned char>(bytes[at]);
}

int u16_at(const std::string& bytes, std::size_t at) {
  return byte_at(bytes, at) | (byte_at(bytes, at + 1) << 8);
}

bool starts_with(const std::string& bytes, std::size_t at, std::string_view command) {
  return bytes.compare(at, command.size(), command) == 0;
}

}  // namespace

ReceiptStream read_receipt(const std::string& bytes) {
  ReceiptStream r;
  std::size_t at = 0;
  if (starts_with(bytes, 0, "\x1b@")) {
    r.initialised = true;
    at = 2;
  }
  std::vector<std::uint8_t> bits;
  int stride = -1;
  int height = 0;
  while (at < bytes.size()) {
    if (starts_with(bytes, at, std::string_view("\x1dv0\0", 4))) {
      const int across = u16_at(bytes, at + 4);
      const int rows = u16_at(bytes, at + 6);
      const std::size_t size = static_cast<std::size_t>(across) * static_cast<std::size_t>(rows);
      if (bytes.size() - (at + 8) < size)
        throw std::runtime_error("the band at offset " + std::to_string(at) + " is cut short");
      if (stride >= 0 && across != stride)
        throw std::runtime_error("the band at offset " + std::to_string(at) + " is " +
                                 std::to_string(across) + " bytes across, the first " +
                                 std::to_string(stride));
      stride = across;
      bits.insert(bits.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at + 8),
                  bytes.begin() + static_cast<std::ptrdiff_t>(at + 8 + size));
      r.band_rows.push_back(rows);
      r.band_strides.push_back(across);
      height += rows;
      at += 8 + size;
    } else if (starts_with(bytes, at, "\x1dVB") && at + 4 == bytes.size()) {
      r.cut = true;
      r.cut_margin = byte_at(bytes, at + 3);
      at += 4;
    } else {
      throw std::runtime_error("unexpected byte " + std::to_string(byte_at(bytes, at)) +
                               " at offset " + std::to_string(at));
    }
  }
  r.image.width = stride < 0 ? 0 : stride * 8;
  r.image.height = height;
  r.image.bits = std::move(bits);
  return r;
}

void expect_receipt(const std::string& bytes, const platform::PrintedPage& page, int dots,
                    const platform::MonoImage& drawn) {
  const ReceiptStream stream = read_receipt(bytes);
  EXPECT_TRUE(stream.initialised);
  EXPECT_TRUE(stream.cut);
  EXPECT_EQ(stream.cut_margin, platform::escpos::kCutMargin);
  ASSERT_FALSE(stream.band_rows.empty());
  for (std::size_t i = 0; i < stream.band_rows.size(); ++i) {
    EXPECT_LE(stream.band_rows[i], platform::escpos::kBandRows);
    EXPECT_EQ(stream.band_strides[i], dots / 8);
  }
  ASSERT_EQ(stream.image.height, drawn.height);
  EXPECT_TRUE(stream.image.bits == drawn.bits) << "the bands differ from the rendered page";

  const platform::MonoImage& image = stream.image;
  const auto black_in_rows = [&](int top, int bottom) {
    int black = 0;
    for (int y = std::max(0, top); y < std::min(bottom, image.height); ++y) {
      for (int x = 0; x < image.width; ++x)
        black += image.black(x, y) ? 1 : 0;
    }
    return black;
  };
  const int all = black_in_rows(0, image.height);
  EXPECT_GT(all, 0);
  EXPECT_LT(all, image.width * image.height / 5) << "more black than paper";
  for (const platform::DrawnText& t : page.texts)
    EXPECT_GT(black_in_rows(t.y, t.y + 20), 0) << "nothing drawn on the line of " << t.text;
  // A text's glyphs stay within one and a half of its character height (a point is 1/72 inch at
  // 203 dots per inch) below its y; the rows just above the next line down are paper where the
  // gap is wider than that.
  std::set<int> tops;
  for (const platform::DrawnText& t : page.texts)
    tops.insert(t.y);
  for (const platform::DrawnText& t : page.texts) {
    const auto next = tops.upper_bound(t.y);
    const int reach = t.y + t.points * 203 * 3 / (72 * 2);
    if (next != tops.end() && *next - 4 > reach + 4) {
      EXPECT_EQ(black_in_rows(*next - 4, *next), 0) << "black above the line after " << t.text;
    }
  }
}

}  // namespace talvex::testing
