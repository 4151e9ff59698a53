#include "tickets/bill.h"

#include <chrono>
#include <string>

#include "data/integer_parse.h"
#include "tickets/checked_math.h"
#include "tickets/line_items.h"
#include "tickets/page.h"
#include "tickets/payments.h"
#include "tickets/percentage.h"
#include "tickets/texts.h"
#include "tickets/ticket_frame.h"

namespace talvex::tickets {
namespace {

using data::Sql;
using data::value;

constexpr const char* kBillTitle = "Предчек не cвернутый";
constexpr std::chrono::milliseconds kItemPause{500};

enum class Bill { Precheck, Receipt };

// How one copy of a bill is printed.
struct Copy {
  const char* progress_name;  // how the job's progress knows it
  const char* role;           // the `printers` row of its printer
  bool paced;                 // a pause after each item line
  bool blank_before_footer;   // 30 dots of space before the footer
};

constexpr Copy kPrecheckCopies[] = {
    {"first copy", "KASSA", true, true},
    {"second copy", "KASSA", false, false},
};
constexpr Copy kReceiptCopies[] = {
    {"first copy", "KASSA", false, false},
    {"control copy", "CONTROL", false, false},
};

// The job's queue row, its order, the order's table and the table's hall.
void read_order(JobContext& job) {
  data::Database& db = job.db;
  db.job.reload(Sql("select * from print where id='") + value(job.print_row_id) +
                "' ORDER BY id ASC limit 1");
  db.order.reload(Sql("select * from zakaz where id='") + value(db.job.text("zakaz")) + "' ");
  db.table.reload(Sql("select * from tables where id='") + value(db.order.text("tables")) + "' ");
  db.hall.reload(Sql("select * from cat_tables where id='") + value(db.table.text("cat_tables")) +
                 "' ORDER BY id ASC limit 1");
}

void draw_header(JobContext& job, Page& page, Bill bill) {
  const data::Database& db = job.db;
  const std::string number = db.job.text("zakaz");
  begin_ticket_header(page, job.settings,
                      (bill == Bill::Precheck ? "Счет на оплату № " : "Чек № ") + number);
  draw_info_line(page, "Открытие: " + time_text(db.order.text("date_open")));
  if (bill == Bill::Precheck)
    draw_info_line(page, "Печать счета: " + time_text_of_ms(job.clock.local_now_ms()));
  else
    draw_info_line(page, "Закрытие: " + time_text(db.order.text("date_close")));
  draw_info_line(page, "Официант: " + db.order.text("waitres"));
  draw_info_line(page, "Зал: " + db.hall.text("name"));
  draw_info_line(page, "Стол: " + db.table.text("name"));
  end_ticket_header(page, db.printers.text("name"));
}

// The item lines; returns the order sum.
std::int32_t draw_items(JobContext& job, Page& page, bool paced) {
  const LineItems folded = fold_line_items(job.db);
  for (const LineItem& item : folded.items) {
    draw_line_item(page, item);
    if (paced)
      job.clock.pause(kItemPause);
  }
  return folded.total;
}

// The discount percentage: the client's, or 0 without a client. A client whose discount is empty
// leaves `discount` as it was.
void read_discount(data::Database& db, std::int32_t& discount) {
  const std::string client = db.order.text("client");
  if (client.empty()) {
    discount = 0;
    return;
  }
  db.client.reload(Sql("select * from clients where id='") + value(client) + "' ");
  const std::string stored = db.client.text("discount");
  if (!stored.empty())
    discount = data::parse_int(stored);
}

// Order sum, service charge, discount and amount due between two section separators.
void draw_totals(data::Database& db, Page& page, std::int32_t total, std::int32_t& discount) {
  page.line(0, kSectionSeparator, 25);
  page.size(10);
  page.line(0, "Сумма заказа: " + money_text(total), 30);

  const std::string procent = db.table.text("procent");
  const std::int32_t service = percentage_of(total, data::parse_int(procent));
  page.line(0, "Обслуживание " + procent + "% " + money_text(service), 30);

  read_discount(db, discount);
  const std::int32_t charged = checked_add(total, service);
  const std::int32_t sum_discount = percentage_of(charged, discount);
  page.line(0, "Скидка: " + std::to_string(discount) + "% " + money_text(sum_discount), 30);
  page.line(0, "Итог: " + money_text(checked_subtract(charged, sum_discount)), 30);
  page.line(0, kSectionSeparator, 30);
}

void print_copy(JobContext& job, Bill bill, const Copy& copy, std::int32_t& discount) {
  const NextStep step = job.progress.next(copy.progress_name, job.printer);
  if (step == NextStep::Skip) {
    discount = job.progress.discount_of(copy.progress_name);
    return;
  }
  job.set_queue_countdown(300);
  choose_printer_by_role(job.db, job.printer, copy.role);
  Page page(job.printer);
  start_document(page, kBillTitle, step);
  read_order(job);
  draw_header(job, page, bill);
  const std::int32_t total = draw_items(job, page, copy.paced);
  draw_totals(job.db, page, total, discount);
  if (bill == Bill::Receipt)
    draw_payments(job.db, page);
  if (copy.blank_before_footer)
    page.skip(30);
  draw_ticket_footer(page);
  send_document(job, page, copy.progress_name, discount);
  job.set_queue_countdown(2);
}

void print_bill(JobContext& job, Bill bill, const Copy (&copies)[2]) {
  std::int32_t discount = 0;
  print_copy(job, bill, copies[0], discount);
  if (job.settings.control_printer == "1")
    print_copy(job, bill, copies[1], discount);
  mark_printed(job);
}

}  // namespace

void print_precheck(JobContext& job) {
  print_bill(job, Bill::Precheck, kPrecheckCopies);
}

void print_receipt(JobContext& job) {
  print_bill(job, Bill::Receipt, kReceiptCopies);
}

}  // namespace talvex::tickets
