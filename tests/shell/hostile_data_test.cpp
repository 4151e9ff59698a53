// The talvex program against hostile and broken data written by the front end: quotes,
// backslashes and statements in keys, names and settings; NULL in every column the documents read;
// Cyrillic, emoji and very long names; 32-bit extremes whose sums overflow; unknown job types;
// duplicate and padded settings; ZEROFILL columns. Each case is an order and a queue row of its
// own, so that one run of the program covers many of them; what must hold for every case is its
// documented outcome, and for the run as a whole that no other statement ran, that the program is
// still running and that every other job printed.

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/run_command.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/venue_test.h"

namespace talvex::testing {
namespace {

using Text = std::optional<std::string>;
const Text kNull = std::nullopt;

constexpr const char* kTables[] = {"printers", "settings",   "print",   "zakaz", "podzakaz", "menu",
                                   "tables",   "cat_tables", "clients", "pay",   "type_pay"};

// An SQL literal written by hand, so that the data reaches the database however the program's
// own escaping behaves: NULL, or the text between single quotes with quotes and backslashes
// doubled.
std::string literal(const Text& text) {
  if (!text)
    return "NULL";
  std::string out = "'";
  for (char c : *text) {
    if (c == '\'' || c == '\\')
      out += c;
    out += c;
  }
  return out + "'";
}

// The Unicode characters of UTF-8 text, each as its bytes.
std::vector<std::string> code_points(const std::string& text) {
  std::vector<std::string> out;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80 || out.empty())
      out.emplace_back();
    out.back() += static_cast<char>(c);
  }
  return out;
}

// Characters [first, first + count) of UTF-8 text.
std::string slice(const std::string& text, std::size_t first, std::size_t count) {
  const std::vector<std::string> all = code_points(text);
  std::string out;
  for (std::size_t i = first; i < first + count && i < all.size(); ++i)
    out += all[i];
  return out;
}

// 1,000 characters of Cyrillic, Latin, emoji, quotes and backslashes.
std::string long_name() {
  const std::vector<std::string> cycle = {"Ё", "л", "к", "а", "🎄", " ", "x", "\\", "'", "\""};
  std::string out;
  for (int i = 0; i < 1000; ++i)
    out += cycle[static_cast<std::size_t>(i) % cycle.size()];
  return out;
}

const std::string kLong = long_name();
const std::string kEmojiName =
    "Пицца 🍕 «Маргарита» с базиликом 🌿 от шефа 👨‍🍳";
const std::string kQuotedItem = "'; DROP TABLE menu; --";
const std::string kBackslashItem = "Back\\slash \"quoted\" \\' \\\\";
const std::string kWaiter = "O'Hara \\\"Jr\\\" \\";
const std::string kTableName = "Стол '5'; --";
const std::string kHallName = "Зал \\\\ \"VIP\" '; --";
const std::string kPayName = "Карта'); DROP TABLE pay; --";
const std::string kRole = "BAR'; DROP TABLE printers; --";
const std::string kOrganisation = "ТОО \"Зефира\" \\ O'Reilly'); DROP TABLE settings; --";
const std::string kTitle = "Кафе \\'Кальво\\' 🍷 \\\\";

// The front end's tables with the columns that must hold text, NULL or long names altered; the
// test's database is dropped afterwards, which undoes the changes.
constexpr const char* kTextColumns[] = {
    "ALTER TABLE print MODIFY id VARCHAR(100) NOT NULL, MODIFY zakaz VARCHAR(100) NULL, "
    "MODIFY podzakaz VARCHAR(100) NULL, MODIFY type VARCHAR(100) NULL DEFAULT '', "
    "MODIFY status VARCHAR(10) NULL DEFAULT 'no'",
    "ALTER TABLE zakaz MODIFY id VARCHAR(100) NOT NULL, MODIFY client VARCHAR(100) NULL, "
    "MODIFY tables VARCHAR(100) NULL, MODIFY waitres VARCHAR(1000) NULL",
    "ALTER TABLE podzakaz MODIFY zakaz VARCHAR(100) NULL, MODIFY podzakaz VARCHAR(100) NULL, "
    "MODIFY menu VARCHAR(100) NULL, MODIFY printer VARCHAR(100) NULL",
    "ALTER TABLE menu MODIFY name VARCHAR(1000) NULL",
    "ALTER TABLE tables MODIFY id VARCHAR(100) NOT NULL, MODIFY name VARCHAR(1000) NULL, "
    "MODIFY cat_tables VARCHAR(100) NULL",
    "ALTER TABLE cat_tables MODIFY id VARCHAR(100) NOT NULL, MODIFY name VARCHAR(1000) NULL",
    "ALTER TABLE clients MODIFY id VARCHAR(100) NOT NULL",
    "ALTER TABLE pay MODIFY zakaz VARCHAR(100) NULL, MODIFY type_pay VARCHAR(100) NULL",
    "ALTER TABLE type_pay MODIFY id VARCHAR(100) NOT NULL, MODIFY name VARCHAR(1000) NULL",
    "ALTER TABLE printers MODIFY name VARCHAR(100) NULL",
};

// Rows the cases refer to, beside the demo venue's.
std::vector<std::string> shared_rows() {
  return {
      "INSERT INTO menu (id, name) VALUES (40, " + literal(kQuotedItem) + "), (41, " +
          literal(kBackslashItem) + "), (42, " + literal(kEmojiName) + "), (43, " + literal(kLong) +
          "), (44, NULL)",
      "INSERT INTO cat_tables (id, name) VALUES ('z\\\\1', " + literal(kHallName) +
          "), ('hn', NULL)",
      "INSERT INTO tables (id, name, cat_tables, procent) VALUES ('t''1', " + literal(kTableName) +
          ", 'z\\\\1', 0), ('tn', NULL, NULL, 0), ('tp', 'Стол без процента', 1, NULL), "
          "('th', 'Стол в зале без имени', 'hn', 0), ('tx', 'Стол за все деньги', 1, 2147483647), "
          "('tl', " +
          literal(kLong) + ", 1, 0)",
      "INSERT INTO clients (id, name, discount) VALUES ('c''1', 'O''Neil', 10), "
      "('cx', 'Скидка без меры', -2147483648), ('cn', 'Без скидки', NULL)",
      "INSERT INTO type_pay (id, name) VALUES ('p''1', " + literal(kPayName) + "), ('pn', NULL)",
      "INSERT INTO printers (id, name, port) VALUES (5, " + literal(kRole) +
          ", 1), (6, NULL, 2), (7, 'GRILL', NULL)",
      "UPDATE settings SET value=" + literal(kOrganisation) + " WHERE name='oragnization'",
      "UPDATE settings SET value=" + literal(kTitle) + " WHERE name='title'",
      // One queue check per tick, so that every job is tried once long before a failed one is
      // tried again (300 ticks later).
      "UPDATE settings SET value='1' WHERE name='printer_timer'",
      // Later rows with the same key: the first row wins.
      "INSERT INTO settings (id, name, value) VALUES (8, 'control_printer', '0'), "
      "(9, 'title', 'не этот заголовок')",
  };
}

struct Order {
  Text date_open = "1732300800";   // 22.11.2024 18:40:00
  Text date_close = "1732306500";  // 22.11.2024 20:15:00
  Text client = kNull;
  Text tables = "5";  // Терраса 1: no service charge
  Text waitres = "Айгерим";
};

struct Line {
  Text menu = "2";  // Американо
  Text kolvo = "1";
  Text price = "100";
  Text printer = "3";  // KITCHEN
  Text podzakaz = "1";
  bool of_order = true;  // false: `zakaz` is NULL
};

struct Payment {
  Text cash_pay = "100";
  Text type_pay = "1";  // Наличные
  bool of_order = true;
};

// One queue row and the order it prints, with what must come of it.
struct Case {
  std::string name = {};
  std::string job = {};  // print.id
  Text type = {};
  Text order = {};  // print.zakaz; the order's rows are written under this key
  Order order_row = {};
  std::vector<Line> lines = {};
  std::vector<Payment> payments = {};
  Text sub = "1";  // print.podzakaz
  Text status_before = "no";

  std::string status = "yes";           // afterwards; "NULL" for NULL
  std::string error = {};               // the first failure's message; empty when the job succeeds
  int documents = 0;                    // how many documents name the order
  std::vector<std::string> shows = {};  // texts some document of the order shows
  std::vector<std::string> hides = {};  // texts no document of the order shows
};

const std::string kEmpty = "'' is not a valid integer value.";
const std::string kOverflow = "Integer overflow.";

std::vector<Case> cases() {
  const Line one;
  const std::vector<Payment> paid = {Payment{}};
  return {
      // Keys, names and settings that would end the statement early if they were not escaped.
      {.name = "order key with a statement after a quote",
       .job = "h01",
       .type = "podzakaz",
       .order = "7'; DROP TABLE print; --",
       .lines = {Line{.kolvo = "2", .printer = "2"}, Line{.menu = "32"}},
       .documents = 3,
       .shows = {"Заказ № 7'; DROP TABLE print; --", "Принтер BAR", "Принтер KITCHEN"}},
      {.name = "order key ending in a backslash",
       .job = "h02",
       .type = "predcheck",
       .order = "O'Brien\\",
       .lines = {Line{.price = "900"}},
       .documents = 2,
       .shows = {"Счет на оплату № O'Brien\\", "Итог: 900 тг."}},
      {.name = "order key with an escaped quote",
       .job = "h03",
       .type = "zakaz_close",
       .order = "\\'; DELETE FROM zakaz; --",
       .lines = {one},
       .payments = paid,
       .documents = 2,
       .shows = {"Чек № \\'; DELETE FROM zakaz; --", "Итог: 100 тг.", "Наличные: 100 тг."}},
      {.name = "sub-order key that reads as a condition",
       .job = "h04",
       .type = "podzakaz",
       .order = "A4",
       .lines = {Line{.printer = "2", .podzakaz = "1' OR '1'='1"}, Line{.menu = "32"}},
       .sub = "1' OR '1'='1",
       .documents = 2,
       .shows = {"Подзаказ №: 1' OR '1'='1", "Американо", "Принтер BAR"},
       .hides = {"Медовик", "Принтер KITCHEN"}},
      {.name = "menu key that the server would read as a number",
       // The server turns the text into 2 for the integer menu.id and finds Американо; the line
       // still names no menu item, since keys match as whole texts.
       .job = "h12",
       .type = "zakaz_close",
       .order = "A12",
       .lines = {Line{.menu = "3"}, Line{.menu = "2' OR '1'='1", .price = "500"}},
       .payments = paid,
       .documents = 2,
       .shows = {"Итог: 100 тг."},
       .hides = {"Американо"}},
      {.name = "job key that reads as a condition",
       .job = "h05' OR '1'='1",
       .type = "zakaz_close",
       .order = "A5",
       .lines = {one},
       .payments = paid,
       .documents = 2,
       .shows = {"Чек № A5"}},
      {.name = "quotes and backslashes in the names on a ticket",
       .job = "h06",
       .type = "podzakaz",
       .order = "A6",
       .order_row = {.client = "c'1", .tables = "t'1", .waitres = kWaiter},
       .lines = {Line{.menu = "40"}, Line{.menu = "41", .kolvo = "2"}},
       .documents = 2,
       .shows = {"Официант: " + kWaiter, "Стол: " + kTableName, "Зал: " + kHallName, kQuotedItem,
                 kBackslashItem}},
      {.name = "quotes and backslashes in the names on a receipt",
       .job = "h07",
       .type = "zakaz_close",
       .order = "A7",
       .order_row = {.client = "c'1", .tables = "t'1", .waitres = kWaiter},
       .lines = {Line{.menu = "40", .price = "1000"}},
       .payments = {Payment{.cash_pay = "900", .type_pay = "p'1"}},
       .documents = 2,
       .shows = {"Официант: " + kWaiter, "Стол: " + kTableName, "Зал: " + kHallName,
                 slice(kQuotedItem, 0, 15), slice(kQuotedItem, 15, 30), "Скидка: 10% 100 тг.",
                 "Итог: 900 тг.", kPayName + ": 900 тг."}},
      {.name = "printer role with a statement after a quote",
       .job = "h08",
       .type = "podzakaz",
       .order = "A8",
       .lines = {Line{.printer = "5"}},
       .documents = 2,
       .shows = {"Принтер " + kRole, "Принтер CONTROL"}},
      {.name = "Cyrillic and emoji in a key and a name",
       .job = "h09",
       .type = "zakaz_close",
       .order = "Заказ-🍕",
       .lines = {Line{.menu = "42"}},
       .payments = paid,
       .documents = 2,
       .shows = {"Чек № Заказ-🍕", slice(kEmojiName, 0, 15), slice(kEmojiName, 15, 30)}},
      {.name = "1,000-character names on a ticket",
       .job = "h10",
       .type = "podzakaz",
       .order = "A10",
       .order_row = {.tables = "tl", .waitres = kLong},
       .lines = {Line{.menu = "43"}},
       .documents = 2,
       .shows = {"Официант: " + kLong, "Стол: " + kLong, kLong}},
      {.name = "1,000-character names on a receipt",
       .job = "h11",
       .type = "zakaz_close",
       .order = "A11",
       .order_row = {.tables = "tl", .waitres = kLong},
       .lines = {Line{.menu = "43"}},
       .payments = paid,
       .documents = 2,
       .shows = {"Официант: " + kLong, "Стол: " + kLong, slice(kLong, 0, 15),
                 slice(kLong, 15, 30)}},

      // NULL in every column the documents read.
      {.name = "print.zakaz NULL on a bill",
       .job = "h20",
       .type = "predcheck",
       .order = kNull,
       .status = "no",
       .error = kEmpty},
      {.name = "print.zakaz NULL on an order ticket: no lines, nothing to print",
       .job = "h21",
       .type = "podzakaz",
       .order = kNull},
      {.name = "print.podzakaz NULL: no lines of the sub-order, nothing to print",
       .job = "h22",
       .type = "podzakaz",
       .order = "N22",
       .lines = {one},
       .sub = kNull},
      {.name = "print.type NULL: passed over",
       .job = "h23",
       .type = kNull,
       .order = "N23",
       .lines = {one},
       .payments = paid,
       .status = "no"},
      {.name = "zakaz.date_open NULL",
       .job = "h24",
       .type = "zakaz_close",
       .order = "N24",
       .order_row = {.date_open = kNull},
       .lines = {one},
       .payments = paid,
       .status = "no",
       .error = kEmpty},
      {.name = "zakaz.date_close NULL on a receipt",
       .job = "h25",
       .type = "zakaz_close",
       .order = "N25",
       .order_row = {.date_close = kNull},
       .lines = {one},
       .payments = paid,
       .status = "no",
       .error = kEmpty},
      {.name = "zakaz.client NULL: no discount",
       .job = "h26",
       .type = "zakaz_close",
       .order = "N26",
       .lines = {one},
       .payments = paid,
       .documents = 2,
       .shows = {"Скидка: 0% 0 тг.", "Итог: 100 тг."}},
      {.name = "zakaz.tables NULL on an order ticket",
       .job = "h27",
       .type = "podzakaz",
       .order = "N27",
       .order_row = {.tables = kNull},
       .lines = {one},
       .documents = 2,
       .shows = {"Стол: ", "Зал: "}},
      {.name = "zakaz.tables NULL on a bill: no service charge percentage",
       .job = "h28",
       .type = "zakaz_close",
       .order = "N28",
       .order_row = {.tables = kNull},
       .lines = {one},
       .payments = paid,
       .status = "no",
       .error = kEmpty},
      {.name = "zakaz.waitres NULL",
       .job = "h29",
       .type = "zakaz_close",
       .order = "N29",
       .order_row = {.waitres = kNull},
       .lines = {one},
       .payments = paid,
       .documents = 2,
       .shows = {"Официант: "}},
      {.name = "podzakaz.zakaz NULL: no order's line",
       .job = "h30",
       .type = "zakaz_close",
       .order = "N30",
       .lines = {one, Line{.menu = "3", .price = "500", .of_order = false}},
       .payments = paid,
       .documents = 2,
       .shows = {"Итог: 100 тг."},
       .hides = {"Капучино"}},
      {.name = "podzakaz.podzakaz NULL: on no ticket",
       .job = "h31",
       .type = "podzakaz",
       .order = "N31",
       .lines = {one, Line{.menu = "3", .podzakaz = kNull}},
       .documents = 2,
       .shows = {"Американо"},
       .hides = {"Капучино"}},
      {.name = "podzakaz.podzakaz NULL: on the bill",
       .job = "h32",
       .type = "zakaz_close",
       .order = "N32",
       .lines = {one, Line{.menu = "3", .price = "500", .podzakaz = kNull}},
       .payments = paid,
       .documents = 2,
       .shows = {"Итог: 600 тг."}},
      {.name = "podzakaz.menu NULL: no item's line",
       .job = "h33",
       .type = "zakaz_close",
       .order = "N33",
       .lines = {one, Line{.menu = kNull, .price = "500"}},
       .payments = paid,
       .documents = 2,
       .shows = {"Итог: 100 тг."}},
      {.name = "podzakaz.kolvo NULL",
       .job = "h34",
       .type = "zakaz_close",
       .order = "N34",
       .lines = {Line{.kolvo = kNull}},
       .payments = paid,
       .status = "no",
       .error = kEmpty},
      {.name = "podzakaz.price NULL on a bill",
       .job = "h35",
       .type = "zakaz_close",
       .order = "N35",
       .lines = {Line{.price = kNull}},
       .payments = paid,
       .status = "no",
       .error = kEmpty},
      {.name = "podzakaz.price NULL on an order ticket, which prints no price",
       .job = "h36",
       .type = "podzakaz",
       .order = "N36",
       .lines = {Line{.price = kNull}},
       .documents = 2,
       .shows = {"Американо"}},
      {.name = "podzakaz.printer NULL: on the control ticket only",
       .job = "h37",
       .type = "podzakaz",
       .order = "N37",
       .lines = {Line{.printer = kNull}, Line{.menu = "32"}},
       .documents = 2,
       .shows = {"Американо", "Медовик", "Принтер KITCHEN", "Принтер CONTROL"}},
      {.name = "menu.name NULL on an order ticket",
       .job = "h38",
       .type = "podzakaz",
       .order = "N38",
       .lines = {Line{.menu = "44", .kolvo = "3"}},
       .documents = 2,
       .shows = {"3"}},
      {.name = "menu.name NULL on a bill",
       .job = "h39",
       .type = "zakaz_close",
       .order = "N39",
       .lines = {Line{.menu = "44"}},
       .payments = paid,
       .documents = 2,
       .shows = {"Итог: 100 тг."}},
      {.name = "tables.name and tables.cat_tables NULL",
       .job = "h40",
       .type = "podzakaz",
       .order = "N40",
       .order_row = {.tables = "tn"},
       .lines = {one},
       .documents = 2,
       .shows = {"Стол: ", "Зал: "}},
      {.name = "tables.procent NULL",
       .job = "h41",
       .type = "zakaz_close",
       .order = "N41",
       .order_row = {.tables = "tp"},
       .lines = {one},
       .payments = paid,
       .status = "no",
       .error = kEmpty},
      {.name = "cat_tables.name NULL",
       .job = "h42",
       .type = "zakaz_close",
       .order = "N42",
       .order_row = {.tables = "th"},
       .lines = {one},
       .payments = paid,
       .documents = 2,
       .shows = {"Зал: ", "Стол: Стол в зале без имени"}},
      {.name = "clients.discount NULL",
       .job = "h43",
       .type = "zakaz_close",
       .order = "N43",
       .order_row = {.client = "cn"},
       .lines = {one},
       .payments = paid,
       .documents = 2,
       .shows = {"Скидка: 0% 0 тг."}},
      {.name = "pay.zakaz, pay.type_pay and type_pay.name NULL",
       .job = "h44",
       .type = "zakaz_close",
       .order = "N44",
       .lines = {one},
       .payments = {Payment{}, Payment{.cash_pay = "50", .type_pay = kNull},
                    Payment{.cash_pay = "20", .type_pay = "pn"},
                    Payment{.cash_pay = "300", .of_order = false}},
       .documents = 2,
       .shows = {"Наличные: 100 тг.", ": 50 тг.", ": 20 тг."},
       .hides = {"Наличные: 300 тг."}},
      {.name = "pay.cash_pay NULL",
       .job = "h45",
       .type = "zakaz_close",
       .order = "N45",
       .lines = {one},
       .payments = {Payment{.cash_pay = kNull}},
       .status = "no",
       .error = kEmpty},
      {.name = "printers.name NULL: a production point without a name",
       .job = "h46",
       .type = "podzakaz",
       .order = "N46",
       .lines = {Line{.printer = "6"}},
       .documents = 2,
       .shows = {"Принтер ", "Принтер CONTROL"}},
      {.name = "printers.port NULL: the tickets before it come out",
       .job = "h47",
       .type = "podzakaz",
       .order = "N47",
       .lines = {Line{.printer = "7"}},
       .status = "no",
       .error = kEmpty,
       .documents = 1,
       .shows = {"Принтер CONTROL"}},
      {.name = "print.status NULL: no job",
       .job = "h48",
       .type = "zakaz_close",
       .order = "N48",
       .lines = {one},
       .payments = paid,
       .status_before = kNull,
       .status = "NULL"},

      // 32-bit extremes.
      {.name = "quantities whose sum overflows, on a bill",
       .job = "h50",
       .type = "zakaz_close",
       .order = "O50",
       .lines = {Line{.kolvo = "2147483647", .price = "1"}, Line{.price = "1"}},
       .payments = paid,
       .status = "no",
       .error = kOverflow},
      {.name = "quantities whose sum overflows, on an order ticket",
       .job = "h51",
       .type = "podzakaz",
       .order = "O51",
       .lines = {Line{.kolvo = "2147483647"}, one},
       .status = "no",
       .error = kOverflow},
      {.name = "negative quantities whose sum overflows",
       .job = "h52",
       .type = "zakaz_close",
       .order = "O52",
       .lines = {Line{.kolvo = "-2147483648"}, Line{.kolvo = "-1"}},
       .payments = paid,
       .status = "no",
       .error = kOverflow},
      {.name = "quantity times price overflows",
       .job = "h53",
       .type = "zakaz_close",
       .order = "O53",
       .lines = {Line{.kolvo = "2", .price = "2147483647"}},
       .payments = paid,
       .status = "no",
       .error = kOverflow},
      {.name = "the order sum overflows",
       .job = "h54",
       .type = "zakaz_close",
       .order = "O54",
       .lines = {Line{.price = "2000000000"}, Line{.menu = "3", .price = "2000000000"}},
       .payments = paid,
       .status = "no",
       .error = kOverflow},
      {.name = "sum and service charge overflow",
       .job = "h55",
       .type = "zakaz_close",
       .order = "O55",
       .order_row = {.tables = "1"},
       .lines = {Line{.price = "2147483647"}},
       .payments = paid,
       .status = "no",
       .error = kOverflow},
      {.name = "a service charge of 2147483647 %",
       .job = "h56",
       .type = "zakaz_close",
       .order = "O56",
       .order_row = {.tables = "tx"},
       .lines = {one},
       .payments = paid,
       .status = "no",
       .error = kOverflow},
      {.name = "a discount of -2147483648 %",
       .job = "h57",
       .type = "zakaz_close",
       .order = "O57",
       .order_row = {.client = "cx"},
       .lines = {one},
       .payments = paid,
       .status = "no",
       .error = kOverflow},
      {.name = "change of 2147483648",
       .job = "h58",
       .type = "zakaz_close",
       .order = "O58",
       .lines = {one},
       .payments = {Payment{}, Payment{.cash_pay = "-2147483648"}},
       .status = "no",
       .error = kOverflow},
      {.name = "a payment of 2147483647",
       .job = "h59",
       .type = "zakaz_close",
       .order = "O59",
       .lines = {one},
       .payments = {Payment{.cash_pay = "2147483647"}},
       .documents = 2,
       .shows = {"Наличные: 2147483647 тг."}},
      {.name = "an order sum of exactly 2147483647",
       .job = "h60",
       .type = "zakaz_close",
       .order = "O60",
       .lines = {Line{.kolvo = "2147483646", .price = "1"}, Line{.price = "1"}},
       .payments = paid,
       .documents = 2,
       .shows = {"Сумма заказа: 2147483647 тг.", "Итог: 2147483647 тг."}},
      {.name = "times at the ends of 32 bits",
       .job = "h61",
       .type = "zakaz_close",
       .order = "O61",
       .order_row = {.date_open = "-2147483648", .date_close = "2147483647"},
       .lines = {one},
       .payments = paid,
       .documents = 2,
       .shows = {"Открытие: 13.12.1901 20:45:52", "Закрытие: 19.01.2038 03:14:07"}},

      // Types that are none of the three: passed over, the rows behind them print.
      {.name = "type in other letter case",
       .job = "h70",
       .type = "PredCheck",
       .order = "U70",
       .lines = {one},
       .status = "no"},
      {.name = "type with a trailing blank",
       .job = "h71",
       .type = "zakaz_close ",
       .order = "U71",
       .lines = {one},
       .payments = paid,
       .status = "no"},
      {.name = "type with a statement after a quote",
       .job = "h72",
       .type = "podzakaz'; DROP TABLE print; --",
       .order = "U72",
       .lines = {one},
       .status = "no"},
      {.name = "empty type",
       .job = "h73",
       .type = "",
       .order = "U73",
       .lines = {one},
       .status = "no"},
  };
}

// The statements that write a case's rows.
std::vector<std::string> rows_of(const Case& c) {
  std::vector<std::string> out;
  if (c.order) {
    const Order& o = c.order_row;
    out.push_back(
        "INSERT INTO zakaz (id, date_open, date_close, client, tables, waitres) VALUES (" +
        literal(c.order) + ", " + literal(o.date_open) + ", " + literal(o.date_close) + ", " +
        literal(o.client) + ", " + literal(o.tables) + ", " + literal(o.waitres) + ")");
  }
  for (const Line& l : c.lines) {
    out.push_back("INSERT INTO podzakaz (zakaz, podzakaz, menu, kolvo, price, printer) VALUES (" +
                  literal(l.of_order ? c.order : kNull) + ", " + literal(l.podzakaz) + ", " +
                  literal(l.menu) + ", " + literal(l.kolvo) + ", " + literal(l.price) + ", " +
                  literal(l.printer) + ")");
  }
  for (const Payment& p : c.payments) {
    out.push_back("INSERT INTO pay (zakaz, type_pay, cash_pay) VALUES (" +
                  literal(p.of_order ? c.order : kNull) + ", " + literal(p.type_pay) + ", " +
                  literal(p.cash_pay) + ")");
  }
  out.push_back("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES (" + literal(c.job) +
                ", " + literal(c.order) + ", " + literal(c.sub) + ", " + literal(c.type) + ", " +
                literal(c.status_before) + ")");
  return out;
}

// The failures the program reported, in order: the lines "talvex: <message>" of its output. A
// line the program is still writing is not one yet.
std::vector<std::string> reported_failures(const std::string& output) {
  std::vector<std::string> out;
  std::istringstream lines(output.substr(0, output.rfind('\n') + 1));
  const std::string prefix = "talvex: ";
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(prefix, 0) == 0)
      out.push_back(line.substr(prefix.size()));
  }
  return out;
}

// The line of a failed job: its `print` row, type and order (and sub-order), then the message.
std::string job_failure(const std::string& id, const std::string& type, const std::string& order,
                        const std::string& sub, const std::string& message) {
  return "`print` row " + id + ", " + type + ", order " + order +
         (type == "podzakaz" ? ", sub-order " + sub : "") + ": " + message;
}

// The message of a reported failure, without the row of a failed job (plain keys only).
std::string message_of(const std::string& reported) {
  return reported.rfind("`print` row ", 0) == 0 ? reported.substr(reported.find(": ") + 2)
                                                : reported;
}

class HostileDataTest : public VenueTest {
 protected:
  // Every row of every table, NULL told apart from an empty text.
  std::map<std::string, std::vector<std::vector<std::string>>> contents(bool with_status = true) {
    std::map<std::string, std::vector<std::vector<std::string>>> out;
    for (const char* table : kTables) {
      std::vector<std::string> columns;
      for (const auto& row :
           connection_
               ->query(data::Sql::fixed(std::string("select column_name from information_schema."
                                                    "columns where table_schema=database() and "
                                                    "table_name='") +
                                        table + "' order by ordinal_position"))
               .rows) {
        if (with_status || std::string(table) != "print" || row[0] != "status")
          columns.push_back("ifnull(concat('=', `" + row[0] + "`), 'NULL')");
      }
      std::string list;
      for (const std::string& c : columns)
        list += (list.empty() ? "" : ", ") + c;
      out[table] =
          connection_
              ->query(data::Sql::fixed("select " + list + " from `" + table + "` order by id"))
              .rows;
    }
    return out;
  }
  std::vector<std::vector<std::string>> table_names() {
    return connection_->query("show tables").rows;
  }
};

TEST_F(HostileDataTest, EveryCaseHasItsDocumentedOutcomeAndNoOtherStatementRuns) {
  // The demo's own jobs wait too: a sub-order and a closing receipt.
  mark_printed_beforehand("id NOT IN (3, 9)");
  for (const char* change : kTextColumns)
    sql(change);
  for (const std::string& statement : shared_rows())
    sql(statement);
  const std::vector<Case> all = cases();
  std::map<std::string, const Case*> by_job;
  for (const Case& c : all) {
    ASSERT_TRUE(by_job.emplace(c.job, &c).second) << c.job;
    for (const std::string& statement : rows_of(c))
      sql(statement);
  }
  ASSERT_EQ(scalar("select count(*) from print"), std::to_string(12 + all.size()));

  // The failures, in the order the queue takes their rows.
  std::vector<std::string> first_failures;
  for (const auto& row :
       connection_->query("select id from print where status='no' order by id").rows) {
    const auto c = by_job.find(row[0]);
    if (c != by_job.end() && !c->second->error.empty()) {
      const Case& failing = *c->second;
      first_failures.push_back(job_failure(failing.job, failing.type.value_or(""),
                                           failing.order.value_or(""), failing.sub.value_or(""),
                                           failing.error));
    }
  }
  const auto before = contents(false);
  const auto tables_before = table_names();

  const std::set<std::string> known(first_failures.begin(), first_failures.end());
  const auto unexpected_failure = [&](const std::vector<std::string>& reported) {
    return std::any_of(reported.begin(), reported.end(),
                       [&](const std::string& r) { return known.count(r) == 0; });
  };

  RunningProgram& program = start();
  // Until every job that should print has printed and every failure has been reported, or a
  // failure no case expects shows that something went wrong.
  ASSERT_TRUE(wait_for([&] {
    const std::vector<std::string> reported = reported_failures(program.output());
    if (unexpected_failure(reported))
      return true;
    for (const Case& c : all) {
      if (c.status == "yes" &&
          scalar("select status from print where id=" + literal(c.job)) != "yes")
        return false;
    }
    return scalar("select count(*) from print where id in (3, 9) and status='yes'") == "2" &&
           reported.size() >= first_failures.size();
  })) << program.output();
  EXPECT_TRUE(program.running()) << program.output();

  // Each failure once, in queue order, before any retry; nothing else went wrong, and in
  // particular no statement was refused.
  const std::vector<std::string> reported = reported_failures(program.output());
  ASSERT_GE(reported.size(), first_failures.size());
  EXPECT_EQ(std::vector<std::string>(reported.begin(), reported.begin() + first_failures.size()),
            first_failures);
  EXPECT_FALSE(unexpected_failure(reported)) << program.output();

  // The tables hold what they held: only print.status changed, and only where a job printed.
  EXPECT_EQ(table_names(), tables_before);
  EXPECT_EQ(contents(false), before);

  std::map<std::string, std::vector<PrintedDocument>> of_order;
  const std::vector<PrintedDocument> printed = documents();
  for (const PrintedDocument& d : printed) {
    // The settings print verbatim on every document; the later duplicate title does not.
    EXPECT_TRUE(d.shows(kOrganisation)) << d.record;
    EXPECT_TRUE(d.shows(kTitle)) << d.record;
    EXPECT_FALSE(d.shows("не этот заголовок")) << d.record;
    ASSERT_FALSE(d.order_line().empty()) << d.record;
    of_order[d.order()].push_back(d);
  }
  for (const Case& c : all) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(scalar("select ifnull(status, 'NULL') from print where id=" + literal(c.job)),
              c.status);
    const std::vector<PrintedDocument>& docs = of_order[c.order.value_or("")];
    EXPECT_EQ(docs.size(), static_cast<std::size_t>(c.documents));
    for (const std::string& text : c.shows) {
      EXPECT_TRUE(std::any_of(docs.begin(), docs.end(), [&](const PrintedDocument& d) {
        return d.shows(text);
      })) << text;
    }
    for (const std::string& text : c.hides) {
      for (const PrintedDocument& d : docs)
        EXPECT_FALSE(d.shows(text)) << text << " in " << d.record;
    }
  }

  const VenueAudit audit = this->audit();
  EXPECT_TRUE(audit.clean()) << audit.report();
  EXPECT_TRUE(exited_with(program.stop(), 0)) << program.output();
}

// ZEROFILL on one side of a key only (menu.id, printers.id, zakaz.id, type_pay.id) and on the
// amounts, the times and the printed order number: every value reads as its plain number, so the
// keys still match the plain columns that refer to them and the documents print their items.
TEST_F(HostileDataTest, ZerofillColumnsPrintTheirItemsAndPlainNumbers) {
  mark_printed_beforehand("id NOT IN (3, 9)");
  // ZEROFILL columns are unsigned: the demo's two negative amounts (of orders not printed here) go.
  sql("DELETE FROM podzakaz WHERE kolvo < 0");
  sql("DELETE FROM pay WHERE cash_pay < 0");
  for (const char* change : {
           "ALTER TABLE menu MODIFY id INT(5) UNSIGNED ZEROFILL NOT NULL AUTO_INCREMENT",
           "ALTER TABLE printers MODIFY id INT(3) UNSIGNED ZEROFILL NOT NULL AUTO_INCREMENT, "
           "MODIFY port INT(2) UNSIGNED ZEROFILL NULL",
           "ALTER TABLE zakaz MODIFY id INT(6) UNSIGNED ZEROFILL NOT NULL AUTO_INCREMENT, "
           "MODIFY date_open INT(12) UNSIGNED ZEROFILL NULL, "
           "MODIFY date_close INT(12) UNSIGNED ZEROFILL NULL",
           "ALTER TABLE type_pay MODIFY id INT(3) UNSIGNED ZEROFILL NOT NULL AUTO_INCREMENT",
           "ALTER TABLE print MODIFY zakaz INT(6) UNSIGNED ZEROFILL NULL",
           "ALTER TABLE podzakaz MODIFY kolvo INT(4) UNSIGNED ZEROFILL NULL, "
           "MODIFY price INT(8) UNSIGNED ZEROFILL NULL",
           "ALTER TABLE pay MODIFY cash_pay INT(8) UNSIGNED ZEROFILL NULL",
           "ALTER TABLE tables MODIFY procent INT(3) UNSIGNED ZEROFILL NULL",
       })
    sql(change);
  // Menu item 42 reads "00042" from the server; the line names it as 42.
  sql("INSERT INTO menu (id, name) VALUES (42, 'Сорок два')");
  sql("INSERT INTO podzakaz (zakaz, podzakaz, menu, name_menu, kolvo, price, printer) "
      "VALUES (3, 1, 42, 'Сорок два', 2, 1500, 3)");
  ASSERT_EQ(scalar("select cast(id as char) from menu where id=42"), "00042");

  RunningProgram& program = start();
  ASSERT_TRUE(wait_for_empty_queue()) << program.output();

  std::map<std::string, std::vector<PrintedDocument>> in_folder;
  for (const PrintedDocument& d : documents())
    in_folder[d.record.parent_path().filename().string()].push_back(d);
  ASSERT_EQ(in_folder["1-BAR"].size(), 1u);
  ASSERT_EQ(in_folder["2-KITCHEN"].size(), 1u);
  ASSERT_EQ(in_folder["0-KASSA"].size(), 1u);
  ASSERT_EQ(in_folder["3-CONTROL"].size(), 2u);
  const PrintedDocument& control_ticket = in_folder["3-CONTROL"][0];
  EXPECT_EQ(in_folder["1-BAR"][0].ticket_items(), std::vector<std::string>{"Американо x2"});
  EXPECT_EQ(in_folder["2-KITCHEN"][0].ticket_items(),
            (std::vector<std::string>{"Медовик x1", "Сорок два x2"}));
  EXPECT_EQ(control_ticket.ticket_items(),
            (std::vector<std::string>{"Американо x2", "Медовик x1", "Сорок два x2"}));
  EXPECT_TRUE(control_ticket.shows("Заказ № 3"));
  EXPECT_TRUE(control_ticket.shows("Открытие: 22.11.2024 19:25:00"));

  for (const PrintedDocument& receipt : {in_folder["0-KASSA"][0], in_folder["3-CONTROL"][1]}) {
    SCOPED_TRACE(receipt.record);
    for (const char* text :
         {"Чек № 3", "Открытие: 22.11.2024 19:25:00", "Закрытие: 22.11.2024 20:05:00", "Сорок два",
          "1500", "Сумма заказа: 8600 тг.", "Обслуживание 0% 0 тг.", "Итог: 8600 тг.",
          "Kaspi QR: 5600 тг."})
      EXPECT_TRUE(receipt.shows(text)) << text;
  }
  const VenueAudit audit = this->audit();
  EXPECT_TRUE(audit.clean()) << audit.report();
}

// DECIMAL amounts in a venue whose computer runs in Russian, where the C library's own number
// conversions take a decimal comma: a whole amount still prints, and a fraction still fails the
// job instead of printing its whole part.
TEST_F(HostileDataTest, DecimalAmountsReadTheSameUnderARussianLocale) {
  const std::filesystem::path locales = folder_ / "locales";
  std::filesystem::create_directories(locales);
  run_command(shell_quote(find_program("localedef")) + " -i ru_RU -f UTF-8 " +
              shell_quote((locales / "ru_RU.UTF-8").string()));
  const ScopedEnvironment russian({{"LOCPATH", locales.string()}, {"LC_ALL", "ru_RU.UTF-8"}});

  mark_printed_beforehand("status='no'");
  sql("ALTER TABLE podzakaz MODIFY kolvo DECIMAL(10,3) NULL, MODIFY price DECIMAL(10,2) NULL");
  sql("INSERT INTO zakaz (id, date_open, date_close, tables, waitres) VALUES "
      "(10, 1732300800, 1732306500, 5, 'Айгерим'), (11, 1732300800, 1732306500, 5, 'Айгерим'), "
      "(12, 1732300800, 1732306500, 5, 'Айгерим')");
  sql("INSERT INTO podzakaz (zakaz, podzakaz, menu, kolvo, price, printer) VALUES "
      "(10, 1, 2, 2.000, 900.00, 2), (11, 1, 2, 1.000, 1500.50, 2), (12, 1, 2, 0.500, 900.00, 2)");
  sql("INSERT INTO pay (zakaz, type_pay, cash_pay) VALUES (10, 1, 1800), (11, 1, 1500), "
      "(12, 1, 450)");
  sql("INSERT INTO print (id, zakaz, podzakaz, type, status) VALUES "
      "(20, 10, NULL, 'zakaz_close', 'no'), (21, 11, NULL, 'zakaz_close', 'no'), "
      "(22, 12, NULL, 'zakaz_close', 'no')");

  RunningProgram& program = start();
  // Each job has either printed or failed.
  ASSERT_TRUE(wait_for([&] {
    return std::stoi(scalar("select count(*) from print where status='yes'")) - 12 +
               static_cast<int>(reported_failures(program.output()).size()) >=
           3;
  })) << program.output();
  EXPECT_EQ(scalar("select group_concat(status order by id) from print where id >= 20"),
            "yes,no,no");
  const std::vector<std::string> reported = reported_failures(program.output());
  EXPECT_EQ(
      std::vector<std::string>(reported.begin(),
                               reported.begin() + std::min<std::size_t>(reported.size(), 2)),
      (std::vector<std::string>{
          job_failure("21", "zakaz_close", "11", "", "'1500,5' is not a valid integer value."),
          job_failure("22", "zakaz_close", "12", "", "'0,5' is not a valid integer value.")}));
  const std::vector<PrintedDocument> printed = documents();
  for (const PrintedDocument& d : printed) {
    EXPECT_TRUE(d.shows("Чек № 10")) << d.record;
    EXPECT_TRUE(d.shows("Итог: 1800 тг.")) << d.record;
  }
  EXPECT_EQ(printed.size(), 2u);
  const VenueAudit audit = this->audit();
  EXPECT_TRUE(audit.clean()) << audit.report();
}

// A run of the program on the demo's sub-order 3/1 and the closing receipt of order 3 with the
// settings changed.
struct SettingsCase {
  const char* name = "";
  std::vector<std::string> statements = {};
  // When the jobs print: how many documents, whether control copies come out, and the texts drawn
  // before the document line on every document (x and text).
  int documents = 0;
  bool control = false;
  std::vector<std::pair<int, std::string>> header = {};
  // When they do not: the failure reported at every attempt.
  std::string error = {};
};

const std::vector<std::pair<int, std::string>> kDemoHeader = {{60, "ТОО «Зефира»"},
                                                              {120, "Кафе «Кальво»"}};

const SettingsCase kSettingsCases[] = {
    {.name = "PaddedControlPrinterInTheFirstOfTwoRows",
     // The first row wins, and " 1" is not "1": no control copies.
     .statements = {"INSERT INTO settings (id, name, value) VALUES (-1, 'control_printer', ' 1')"},
     .documents = 3,
     .control = false,
     .header = kDemoHeader},
    {.name = "NullTextSettings",
     .statements = {"UPDATE settings SET value=NULL WHERE name IN ('oragnization', 'title', "
                    "'control_printer', 'printer_total')"},
     .documents = 3,
     .control = false,
     .header = {}},
    {.name = "HeaderPositionsAtTheEndsOf32Bits",
     .statements = {"UPDATE settings SET value='2147483647' WHERE name='name_check_left'",
                    "UPDATE settings SET value='-2147483648' WHERE name='title_check_left'"},
     .documents = 5,
     .control = true,
     .header = {{2147483647, "ТОО «Зефира»"}, {-2147483647 - 1, "Кафе «Кальво»"}}},
    {.name = "NullHeaderPosition",
     .statements = {"UPDATE settings SET value=NULL WHERE name='name_check_left'"},
     .error = "'' is not a valid integer value."},
    {.name = "NullPrinterTimer",
     .statements = {"UPDATE settings SET value=NULL WHERE name='printer_timer'"},
     .error = "'' is not a valid integer value."},
    {.name = "PrinterTimerAtTheLowEndOf32Bits",
     .statements = {"UPDATE settings SET value='-2147483648' WHERE name='printer_timer'"},
     .error = "'-2147483648' is not a valid printer_timer value (it must be 1 or more)"},
};

class HostileSettingsTest : public VenueTest, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(HostileSettingsTest, JobsHaveTheDocumentedOutcome) {
  const SettingsCase& c = GetParam();
  mark_printed_beforehand("id NOT IN (3, 9)");
  sql("UPDATE settings SET value='1' WHERE name='printer_timer'");
  for (const std::string& statement : c.statements)
    sql(statement);

  RunningProgram& program = start();
  if (c.error.empty()) {
    ASSERT_TRUE(wait_for_empty_queue()) << program.output();
    EXPECT_EQ(reported_failures(program.output()), std::vector<std::string>{});
  } else {
    // Every attempt fails the same way; two of them show that the service went on.
    ASSERT_TRUE(wait_for([&] { return reported_failures(program.output()).size() >= 2; }))
        << program.output();
    for (const std::string& r : reported_failures(program.output()))
      EXPECT_EQ(message_of(r), c.error) << r;
    EXPECT_EQ(scalar("select count(*) from print where status='no'"), "2");
  }
  EXPECT_TRUE(program.running());

  const std::vector<PrintedDocument> printed = documents();
  EXPECT_EQ(printed.size(), static_cast<std::size_t>(c.documents));
  bool any_control = false;
  for (const PrintedDocument& d : printed) {
    SCOPED_TRACE(d.record);
    any_control = any_control || d.printer == "3-CONTROL";
    std::vector<std::pair<int, std::string>> header;
    for (const PrintedDocument::Text& t : d.texts) {
      if (t.text.rfind("Заказ № ", 0) == 0 || t.text.rfind("Чек № ", 0) == 0)
        break;
      header.emplace_back(t.x, t.text);
    }
    EXPECT_EQ(header, c.header);
  }
  EXPECT_EQ(any_control, c.control);
  const VenueAudit audit = this->audit();
  EXPECT_TRUE(audit.clean()) << audit.report();
  EXPECT_TRUE(exited_with(program.stop(), 0)) << program.output();
}

INSTANTIATE_TEST_SUITE_P(Settings, HostileSettingsTest, ::testing::ValuesIn(kSettingsCases),
                         [](const ::testing::TestParamInfo<SettingsCase>& param_info) {
                           return std::string(param_info.param.name);
                         });

}  // namespace
}  // namespace talvex::testing
