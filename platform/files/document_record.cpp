#include "platform/files/document_record.h"

#include <nlohmann/json.hpp>

namespace talvex::platform {
namespace {

// A JSON string of UTF-8 text, every character but the escaped ones written as it is.
std::string json_string(const std::string& text) {
  return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

std::string identity_entry(const std::string& identity) {
  return "\"document\": " + json_string(identity) + ", ";
}

// Put together here rather than as one JSON object because the form is fixed: a JSON library
// would order the keys its own way and leave the spaces out.
std::string document_record(const std::string& printer, int index, const PrintedPage& page) {
  std::string out = "{\"printer\": " + json_string(printer) +
                    ", \"index\": " + std::to_string(index) +
                    ", \"title\": " + json_string(page.title) + ", ";
  if (!page.identity.empty())
    out += identity_entry(page.identity);
  out += "\"texts\": [";
  bool first = true;
  for (const DrawnText& t : page.texts) {
    if (t.text.empty())
      continue;
    if (!first)
      out += ", ";
    first = false;
    out += "{\"x\": " + std::to_string(t.x) + ", \"y\": " + std::to_string(t.y) +
           ", \"pt\": " + std::to_string(t.points) + ", \"text\": " + json_string(t.text) + "}";
  }
  return out + "]}\n";
}

}  // namespace talvex::platform
