#include "app/application_title.h"

#include <optional>

namespace talvex::app {
namespace {

// Decodes the UTF-8 character at `at` and moves past it; nothing for a malformed sequence.
std::optional<char32_t> next_char(std::string_view text, std::size_t& at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  std::size_t length = 0;
  if (lead < 0x80)
    length = 1;
  else if ((lead & 0xE0) == 0xC0)
    length = 2;
  else if ((lead & 0xF0) == 0xE0)
    length = 3;
  else if ((lead & 0xF8) == 0xF0)
    length = 4;
  if (length == 0 || at + length > text.size())
    return std::nullopt;
  char32_t c = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80)
      return std::nullopt;
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  at += length;
  return c;
}

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Lower case for the scripts a program file of the venue is named in: Latin and Cyrillic.
char32_t lower(char32_t c) {
  if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
      (c >= 0x410 && c <= 0x42F))
    return c + 0x20;
  if (c >= 0x400 && c <= 0x40F)
    return c + 0x50;
  return c;
}

}  // namespace

std::string application_title(std::string_view program_path) {
  std::string_view name = program_path;
  if (const std::size_t slash = name.find_last_of("/\\"); slash != std::string_view::npos)
    name.remove_prefix(slash + 1);
  name = name.substr(0, name.find('.'));

  std::string title;
  for (std::size_t at = 0; at < name.size();) {
    const bool first = at == 0;
    if (const std::optional<char32_t> c = next_char(name, at)) {
      append_utf8(title, first ? *c : lower(*c));
    } else {
      title += name[at++];  // not UTF-8: kept as it is
    }
  }
  return title;
}

}  // namespace talvex::app
