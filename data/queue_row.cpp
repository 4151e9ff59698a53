#include "data/queue_row.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace talvex::data {
namespace {

// The width of the journal's column.
constexpr std::size_t kKeyLength = 64;

bool plain_number(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// 64-bit FNV-1a: the same on every system and compiler, so that services on Linux and Windows
// computers key a row alike.
class Fnv1a {
 public:
  void add(std::string_view text) {
    // Each text goes in after its length, so that no two lists of texts hash the same bytes.
    std::uint64_t length = text.size();
    for (int i = 0; i < 8; ++i, length >>= 8)
      byte(static_cast<unsigned char>(length & 0xff));
    for (char c : text)
      byte(static_cast<unsigned char>(c));
  }
  std::uint64_t value() const { return hash_; }

 private:
  void byte(unsigned char b) {
    hash_ ^= b;
    hash_ *= 0x100000001b3ULL;
  }
  std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

}  // namespace

std::string journal_key(const QueueRow& row) {
  std::string plain = row.id + ' ' + row.type + ' ' + row.zakaz + ' ' + row.podzakaz;
  if (row.type.find(' ') == std::string::npos && plain_number(row.zakaz) &&
      plain_number(row.podzakaz) && plain.size() <= kKeyLength)
    return plain;
  Fnv1a hash;
  for (const std::string* text : {&row.type, &row.zakaz, &row.podzakaz})
    hash.add(*text);
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash.value()));
  return row.id + " #" + hex;
}

}  // namespace talvex::data
