#include "tests/support/receipt_stream.h"

#include <stdexcept>

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

}  // namespace talvex::testing
