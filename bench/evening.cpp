#include "bench/evening.h"

#include <map>
#include <stdexcept>

namespace talvex::bench {
namespace {

using data::Sql;

constexpr const char* kTables[] = {"printers", "settings",   "print",   "zakaz", "podzakaz", "menu",
                                   "tables",   "cat_tables", "clients", "pay",   "type_pay"};

// `text` with each {NAME} replaced by its number.
std::string with_numbers(std::string text, const std::map<std::string, long>& numbers) {
  for (const auto& [name, number] : numbers) {
    const std::string key = "{" + name + "}";
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at))
      text.replace(at, key.size(), std::to_string(number));
  }
  return text;
}

int scalar(data::Connection& c, const std::string& query) {
  const data::ResultTable result = c.query(Sql::fixed(query));
  if (result.rows.empty() || result.rows[0].empty() || result.rows[0][0].empty())
    throw std::runtime_error("no value for " + query);
  return std::stoi(result.rows[0][0]);
}

}  // namespace

MeasuredOrder fill_evening(data::Connection& c, const EveningShape& shape) {
  const long lines = shape.lines_per_order;
  if (shape.line_span < lines || shape.menu_items < lines)
    throw std::invalid_argument("an order's lines need a span and a menu at least as large");
  // G orders per wave: line k < L-1 of order j of a wave sits at j + k*G, the last one at
  // j + S-1, so every order spans exactly S ids and no two lines meet.
  const long per_wave = (shape.line_span - 1) / (lines - 1);
  // An order's items lie `step` menu ids apart; a step that 3 does not divide spreads a sub-order
  // over the three production points.
  long step = shape.menu_items / lines;
  while (step > 1 && step % 3 == 0)
    --step;
  const std::map<std::string, long> n = {
      {"M", shape.menu_items},
      {"S", shape.line_span},
      {"N", shape.orders},
      {"L", lines},
      {"G", per_wave},
      {"STEP", step},
      {"NL", shape.orders * lines - 1},
      {"N3", shape.orders * 3 - 1},
      {"N5", shape.orders * 5 - 1},
  };

  for (const char* table : kTables)
    c.execute(Sql::fixed(std::string("TRUNCATE TABLE `") + table + "`"));
  const char* const statements[] = {
      "INSERT INTO printers (id, name, port) VALUES (1, 'KASSA', 0), (2, 'BAR', 1), "
      "(3, 'KITCHEN', 2), (4, 'GRILL', 3), (5, 'CONTROL', 4)",
      "INSERT INTO settings (name, value) VALUES ('oragnization', 'ТОО «Зефира»'), "
      "('title', 'Кафе «Достар»'), ('control_printer', '1'), ('printer_timer', '5'), "
      "('printer_total', '0'), ('name_check_left', '60'), ('title_check_left', '120')",
      "INSERT INTO cat_tables (id, name) VALUES (1, 'Основной зал'), (2, 'Терраса'), (3, 'VIP')",
      "INSERT INTO tables (id, name, cat_tables, procent) "
      "SELECT seq, CONCAT('Стол ', seq), 1 + seq % 3, ELT(1 + seq % 3, 0, 10, 15) "
      "FROM seq_1_to_30",
      // Every tenth client has no discount recorded.
      "INSERT INTO clients (id, name, discount) "
      "SELECT seq, CONCAT('Гость ', seq), IF(seq % 10 = 0, NULL, 5 * (1 + seq % 3)) "
      "FROM seq_1_to_60",
      "INSERT INTO type_pay (id, name) VALUES (1, 'Наличные'), (2, 'Карта'), (3, 'Kaspi QR')",
      // Names short and long: a long one takes a second line on the bills.
      "INSERT INTO menu (id, name) SELECT seq, CONCAT(ELT(1 + seq % 6, 'Шашлык из баранины', "
      "'Лагман', 'Чай чёрный с чабрецом', 'Плов', 'Салат «Цезарь» с курицей', "
      "'Лимонад домашний'), ' ', seq) FROM seq_1_to_{M}",
      // Every third order has a client; the evening's orders open a minute apart.
      "INSERT INTO zakaz (id, date_open, date_close, client, podzakaz, status, tables, waitres) "
      "SELECT seq, 1428400000 + seq * 60, 1428405400 + seq * 60, "
      "IF(seq % 3 = 0, 1 + seq % 60, NULL), 3, 'close', 1 + seq % 30, "
      "ELT(1 + seq % 4, 'Айгерим', 'Данияр', 'Асель', 'Ерлан') FROM seq_1_to_{N}",
      // Line k of order o: sub-order 1 + k DIV 7, the production point of its menu item.
      "INSERT INTO podzakaz (id, zakaz, podzakaz, menu, kolvo, price, printer) "
      "SELECT 1 + w * ({S} + {G} - 1) + j + IF(k = {L} - 1, {S} - 1, k * {G}), o, 1 + k DIV 7, "
      "m, 1 + (o + k) % 3, 100 * (3 + m % 40), 2 + m % 3 "
      "FROM (SELECT o, k, (o - 1) DIV {G} AS w, (o - 1) % {G} AS j, "
      "1 + (o * 7 + k * {STEP}) % {M} AS m "
      "FROM (SELECT 1 + seq DIV {L} AS o, seq % {L} AS k FROM seq_0_to_{NL}) AS line) AS placed",
      // Paid at closing, in turns like the lines: part by card, the rest in cash, change back.
      "INSERT INTO pay (id, zakaz, type_pay, cash_pay) "
      "SELECT 1 + (o - 1) DIV {G} * 3 * {G} + k * {G} + (o - 1) % {G}, o, ELT(k + 1, 2, 1, 1), "
      "ELT(k + 1, 5000 + o % 7 * 1000, 10000, -(100 + o % 900)) "
      "FROM (SELECT 1 + seq DIV 3 AS o, seq % 3 AS k FROM seq_0_to_{N3}) AS paid",
      // Three sub-orders, the pre-check and the receipt of every order, all printed.
      "INSERT INTO print (id, zakaz, podzakaz, type, status) "
      "SELECT 5 * (o - 1) + r + 1, o, IF(r < 3, r + 1, NULL), "
      "ELT(r + 1, 'podzakaz', 'podzakaz', 'podzakaz', 'predcheck', 'zakaz_close'), 'yes' "
      "FROM (SELECT 1 + seq DIV 5 AS o, seq % 5 AS r FROM seq_0_to_{N5}) AS queued",
      "ANALYZE TABLE podzakaz, pay, menu, print",
  };
  for (const char* s : statements)
    c.execute(Sql::fixed(with_numbers(s, n)));

  // An order in the middle of the third wave, with a client.
  MeasuredOrder m;
  m.concurrent_orders = static_cast<int>(per_wave);
  m.order = static_cast<int>(2 * per_wave + per_wave / 2 + 1);
  while (m.order % 3 != 0)
    ++m.order;
  if (m.order > shape.orders)
    throw std::invalid_argument("too few orders for three waves");
  const std::string o = std::to_string(m.order);
  m.order_ticket_row = std::to_string(5 * (m.order - 1) + 1);
  m.precheck_row = std::to_string(5 * (m.order - 1) + 4);
  m.receipt_row = std::to_string(5 * (m.order - 1) + 5);
  m.line_span = scalar(c, "SELECT MAX(id) - MIN(id) + 1 FROM podzakaz WHERE zakaz = " + o);
  m.payment_span = scalar(c, "SELECT MAX(id) - MIN(id) + 1 FROM pay WHERE zakaz = " + o);
  return m;
}

}  // namespace talvex::bench
