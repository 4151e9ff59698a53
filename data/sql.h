#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace talvex::data {

// A value spliced into a statement, always between the single quotes that the statement's own
// text writes around it.
struct SqlValue {
  std::string text;
};

inline SqlValue value(std::string_view text) {
  return SqlValue{std::string(text)};
}
inline SqlValue value(std::int32_t number) {
  return SqlValue{std::to_string(number)};
}

// A statement as the service writes it: fixed text with values in between. Fixed text can only come
// from string literals, so a value can never slip into a statement unescaped; the values are
// escaped for the connection when the statement is sent. For ordinary values the text sent is
// exactly the fixed text and the values joined.
//
//   Sql("select * from settings where name='") + value(key) + "'"
class Sql {
 public:
  template <std::size_t N>
  Sql(const char (&literal)[N]) {  // NOLINT(google-explicit-constructor): statements read as text
    append(std::string_view(literal, N - 1), false);
  }

  // Fixed text held in a table of statements rather than written as a literal.
  static Sql fixed(std::string_view text) {
    Sql statement;
    statement.append(text, false);
    return statement;
  }

  template <std::size_t N>
  friend Sql operator+(Sql statement, const char (&literal)[N]) {
    statement.append(std::string_view(literal, N - 1), false);
    return statement;
  }
  friend Sql operator+(Sql statement, const SqlValue& v) {
    statement.append(v.text, true);
    return statement;
  }
  // The values as a comma-separated list of quoted values, for an IN (...) clause: 'a','b'.
  friend Sql operator+(Sql statement, const std::set<std::string>& values) {
    for (auto v = values.begin(); v != values.end(); ++v) {
      statement.append(v == values.begin() ? "'" : ",'", false);
      statement.append(*v, true);
      statement.append("'", false);
    }
    return statement;
  }

  // The text to send, each value passed through `escape`.
  std::string render(const std::function<std::string(std::string_view)>& escape) const;
  // The text with the values as they are: what the statement reads like in a message or a log.
  std::string plain() const;

 private:
  Sql() = default;

  struct Piece {
    std::string text;
    bool is_value;
  };
  void append(std::string_view text, bool is_value);

  std::vector<Piece> pieces_;
};

}  // namespace talvex::data
