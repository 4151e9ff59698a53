#include "tickets/payments.h"

#include <set>
#include <string>
#include <vector>

#include "data/integer_parse.h"
#include "tickets/checked_math.h"
#include "tickets/texts.h"
#include "tickets/ticket_frame.h"

namespace talvex::tickets {
namespace {

using data::Sql;
using data::value;

struct Payment {
  std::string type_pay;
  std::string cash_pay;
};

// The name of the payment type whose id text is `id`, or empty when there is no such row.
std::string type_name(const data::QuerySlot& types, const std::string& id) {
  for (std::size_t r = 0; r < types.row_count(); ++r) {
    if (types.text(r, "id") == id)
      return types.text(r, "name");
  }
  return {};
}

}  // namespace

void draw_payments(data::Database& db, Page& page) {
  const std::string order = db.order.text("id");
  db.payments.reload(Sql("select * from pay where zakaz='") + value(order) + "' ORDER BY id ASC");
  // The first and last payment id: an order without payments fails on the empty id.
  data::parse_int(db.payments.text("id"));
  data::parse_int(db.payments.text(db.payments.row_count() - 1, "id"));

  // A payment written "0" is passed over without a look at its type.
  std::vector<Payment> printed;
  std::set<std::string> types;
  for (std::size_t r = 0; r < db.payments.row_count(); ++r) {
    if (db.payments.text(r, "zakaz") != order || db.payments.text(r, "cash_pay") == "0")
      continue;
    printed.push_back({db.payments.text(r, "type_pay"), db.payments.text(r, "cash_pay")});
    types.insert(printed.back().type_pay);
  }
  if (!types.empty())
    db.payment_type.reload(Sql("select * from type_pay where id IN (") + types + ") ");

  for (const Payment& payment : printed) {
    const std::int32_t amount = data::parse_int(payment.cash_pay);
    // "00" or "-0" is a zero amount too, and prints nothing like "0".
    if (amount == 0)
      continue;
    if (amount < 0) {
      page.line(0, "Сдача: " + money_text(checked_subtract(0, amount)), 30);
    } else {
      page.line(0, type_name(db.payment_type, payment.type_pay) + ": " + money_text(amount), 30);
    }
  }
  page.skip(30);
  page.line(0, kSectionSeparator, 30);
}

}  // namespace talvex::tickets
