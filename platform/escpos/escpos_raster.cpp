#include "platform/escpos/escpos_raster.h"

#include <algorithm>
#include <stdexcept>

namespace talvex::platform::escpos {
namespace {

constexpr char kEsc = 0x1B;
constexpr char kGs = 0x1D;

void put_u16(std::string& out, int value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

}  // namespace

std::string encode_receipt(const MonoImage& image) {
  const int stride = image.stride();
  if (image.width < 0 || image.height < 0 ||
      image.bits.size() !=
          static_cast<std::size_t>(stride) * static_cast<std::size_t>(image.height))
    throw std::invalid_argument("the image's bits do not match its size");
  if (stride > 0xFFFF)
    throw std::invalid_argument("the image is wider than a raster command can say");

  std::string out;
  out.reserve(image.bits.size() + 16 + 8 * static_cast<std::size_t>(image.height / kBandRows + 1));
  out += {kEsc, '@'};
  const char* bits = reinterpret_cast<const char*>(image.bits.data());
  for (int top = 0; stride > 0 && top < image.height; top += kBandRows) {
    const int rows = std::min(kBandRows, image.height - top);
    out += {kGs, 'v', '0', '\0'};
    put_u16(out, stride);
    put_u16(out, rows);
    out.append(bits + static_cast<std::ptrdiff_t>(top) * stride,
               static_cast<std::size_t>(rows) * static_cast<std::size_t>(stride));
  }
  out += {kGs, 'V', 'B', static_cast<char>(kCutMargin)};
  return out;
}

}  // namespace talvex::platform::escpos
