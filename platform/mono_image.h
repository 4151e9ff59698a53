#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace talvex::platform {

// A 1-bit image as a receipt printer prints it: rows top to bottom, each packed into stride()
// bytes with the leftmost dot in the high bit of the first byte; a set bit is a black dot. The bits
// past the width in a row's last byte are always clear.
struct MonoImage {
  int width = 0;   // dots
  int height = 0;  // rows
  std::vector<std::uint8_t> bits;

  MonoImage() = default;
  MonoImage(int w, int h)
      : width(w), height(h), bits(static_cast<std::size_t>(stride_of(w)) * to_size(h)) {}

  static int stride_of(int w) { return (w + 7) / 8; }
  int stride() const { return stride_of(width); }

  bool black(int x, int y) const { return (bits[index(x, y)] & mask(x)) != 0; }
  void set_black(int x, int y) { bits[index(x, y)] |= mask(x); }

  friend bool operator==(const MonoImage&, const MonoImage&) = default;

 private:
  static std::size_t to_size(int n) { return static_cast<std::size_t>(n < 0 ? 0 : n); }
  std::size_t index(int x, int y) const { return to_size(y) * to_size(stride()) + to_size(x) / 8; }
  static std::uint8_t mask(int x) { return static_cast<std::uint8_t>(0x80u >> (x % 8)); }
};

}  // namespace talvex::platform
