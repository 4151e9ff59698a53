#include "data/sql.h"

namespace talvex::data {

void Sql::append(std::string_view text, bool is_value) {
  pieces_.push_back({std::string(text), is_value});
}

std::string Sql::render(const std::function<std::string(std::string_view)>& escape) const {
  std::string out;
  for (const Piece& p : pieces_)
    out += p.is_value ? escape(p.text) : p.text;
  return out;
}

std::string Sql::plain() const {
  std::string out;
  for (const Piece& p : pieces_)
    out += p.text;
  return out;
}

}  // namespace talvex::data
