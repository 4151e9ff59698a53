// Statements with values of any bytes, rendered with the connection's own escaping: with the
// character set the connection asks for (utf8mb4), and for a server with and without
// NO_BACKSLASH_ESCAPES. Read back the way the server's lexer reads string literals, every rendered
// statement must have the fixed text of its template, with each value's literal exactly where the
// template puts it and holding exactly the value: no value can close its quote early.

#include <fuzzer/FuzzedDataProvider.h>
#include <mysql.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "data/literal_escape.h"
#include "data/sql.h"
#include "fuzz/check.h"

namespace {

using talvex::data::Sql;
using talvex::data::value;
using talvex::fuzz::check;

// A rendered statement as the server's lexer sees it: the text outside string literals, with each
// literal standing as "?", and the literals' values in order.
struct Lexed {
  std::string skeleton;
  std::vector<std::string> literals;
};

// What the server reads for a backslash and the byte after it.
std::string after_backslash(char e) {
  constexpr std::pair<char, char> kNamed[] = {{'0', '\0'}, {'b', '\b'}, {'n', '\n'},
                                              {'r', '\r'}, {'t', '\t'}, {'Z', '\x1a'}};
  for (const auto& [name, byte] : kNamed) {
    if (e == name)
      return std::string(1, byte);
  }
  if (e == '%' || e == '_')
    return std::string("\\") + e;  // kept for LIKE patterns
  return std::string(1, e);
}

// The server reads a literal byte by byte outside multi-byte characters, and no byte of a
// multi-byte utf8mb4 character is a quote or a backslash, so bytes suffice here. Without
// NO_BACKSLASH_ESCAPES a backslash takes the next byte as written, \0 \b \n \r \t \Z naming
// control characters and \% \_ keeping their backslash; in both modes '' is one quote.
std::optional<Lexed> lex(const std::string& statement, bool backslash_escapes) {
  Lexed out;
  for (std::size_t i = 0; i < statement.size();) {
    if (statement[i] != '\'') {
      out.skeleton += statement[i++];
      continue;
    }
    std::string literal;
    ++i;
    for (;;) {
      if (i >= statement.size())
        return std::nullopt;  // the literal never ends
      const char c = statement[i];
      if (c == '\'') {
        if (i + 1 < statement.size() && statement[i + 1] == '\'') {
          literal += '\'';
          i += 2;
          continue;
        }
        ++i;
        break;
      }
      if (c == '\\' && backslash_escapes && i + 1 < statement.size()) {
        literal += after_backslash(statement[i + 1]);
        i += 2;
        continue;
      }
      literal += c;
      ++i;
    }
    out.skeleton += '?';
    out.literals.push_back(std::move(literal));
  }
  return out;
}

// A statement of each shape the service writes: values between quotes, and a list of them for an
// IN clause.
struct Built {
  Sql statement;
  std::vector<std::string> values;  // in the order they stand in the statement
};

Built build(FuzzedDataProvider& input) {
  const std::string a = input.ConsumeRandomLengthString(64);
  const std::string b = input.ConsumeRandomLengthString(64);
  std::set<std::string> list;
  const int n = input.ConsumeIntegralInRange(1, 4);
  for (int k = 0; k < n; ++k)
    list.insert(input.ConsumeRandomLengthString(32));
  const auto number = input.ConsumeIntegral<std::int32_t>();

  switch (input.ConsumeIntegralInRange(0, 2)) {
    case 0:
      return {Sql("select * from podzakaz WHERE printer='") + value(a) + "' AND zakaz='" +
                  value(b) + "' AND podzakaz='" + value(number) + "' ",
              {a, b, std::to_string(number)}};
    case 1: {
      std::vector<std::string> values(list.begin(), list.end());
      values.push_back(a);
      return {Sql("select * from menu WHERE id IN (") + list + ") AND name='" + value(a) +
                  "' ORDER BY id ASC",
              values};
    }
    default:
      return {Sql("UPDATE `print` SET status='yes' WHERE id='") + value(a) + "'", {a}};
  }
}

// Stands for a value in the template; no fixed text holds it.
constexpr std::string_view kMarker = "\x01value\x01";

MYSQL* connection_handle() {
  // Initialised as the connection initialises its own; escaping needs no server.
  static MYSQL* const handle = [] {
    MYSQL* m = mysql_init(nullptr);
    mysql_options(m, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    return m;
  }();
  return handle;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const Built built = build(input);
  MYSQL* const handle = connection_handle();
  check(std::string(mysql_character_set_name(handle)) == "utf8mb4", "the handle speaks utf8mb4");

  for (const bool backslash_escapes : {true, false}) {
    if (backslash_escapes)
      handle->server_status &= ~static_cast<unsigned>(SERVER_STATUS_NO_BACKSLASH_ESCAPES);
    else
      handle->server_status |= static_cast<unsigned>(SERVER_STATUS_NO_BACKSLASH_ESCAPES);
    const std::string rendered = built.statement.render(
        [&](std::string_view v) { return talvex::data::escape_literal(handle, v); });
    // The template with a marker for every value: its fixed text, its own literals ('yes') and
    // where the values stand.
    const std::optional<Lexed> shape =
        lex(built.statement.render([](std::string_view) { return std::string(kMarker); }),
            backslash_escapes);
    const std::optional<Lexed> got = lex(rendered, backslash_escapes);
    check(shape.has_value() && got.has_value(), "every literal ends");
    check(got->skeleton == shape->skeleton,
          "the fixed text is the template's: no quote closed early");
    std::vector<std::string> expected;
    std::size_t next = 0;
    for (const std::string& literal : shape->literals)
      expected.push_back(literal == kMarker ? built.values.at(next++) : literal);
    check(next == built.values.size(), "every value has a literal of its own");
    check(got->literals == expected, "every literal holds its value");
  }
  return 0;
}
