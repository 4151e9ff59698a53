#include <set>
#include <string_view>

#include "app/journal_keeper.h"
#include "app/print_service.h"
#include "data/errors.h"
#include "data/integer_parse.h"

namespace talvex::app {
namespace {

constexpr std::int32_t kDataCheckTicks = 10;
// A countdown that cannot be reloaded from printer_timer starts again from here.
constexpr std::int32_t kFallbackQueueTicks = 10;
// A job that failed while printing is tried again after this many ticks.
constexpr std::int32_t kFailedJobTicks = 300;
// At most this many passed-over rows are named on the panel.
constexpr std::size_t kNamedRows = 3;

bool is_job_type(std::string_view type) {
  return type == "podzakaz" || type == "predcheck" || type == "zakaz_close";
}

std::string queue_state_text(bool waiting, const std::vector<std::string>& passed_over) {
  if (!waiting)
    return "Нет очереди печати";
  std::string text = "Есть очередь печати";
  if (passed_over.empty())
    return text;
  text += " (неизвестный тип: ";
  for (std::size_t i = 0; i < passed_over.size() && i < kNamedRows; ++i) {
    text += (i ? ", " : "") + passed_over[i];
  }
  return text + (passed_over.size() > kNamedRows ? ", …)" : ")");
}

// Row `r` of the queue slot.
data::QueueRow queue_row(const data::QuerySlot& queue, std::size_t r) {
  return {queue.text(r, "id"), queue.text(r, "type"), queue.text(r, "zakaz"),
          queue.text(r, "podzakaz")};
}

// The queue row as the staff and the front end name it: "`print` row 16, predcheck, order 4",
// with the sub-order of an order ticket.
std::string queue_row_text(const data::QuerySlot& queue) {
  const std::string type = queue.text("type");
  std::string text =
      "`print` row " + queue.text("id") + ", " + type + ", order " + queue.text("zakaz");
  if (type == "podzakaz")
    text += ", sub-order " + queue.text("podzakaz");
  return text;
}

}  // namespace

void PrintService::data_check_tick() {
  guarded([this] {
    data_check_countdown = data_check_countdown - 1;
    services_.panel.set_label(
        platform::PanelLabel::DataCheck,
        "Проверка данных через: " + std::to_string(data_check_countdown) + " c.");
    if (data_check_countdown != 0)
      return;
    // Reset first, so a failure below keeps the ten-tick rhythm.
    data_check_countdown = kDataCheckTicks;
    db.statements.execute("SELECT * FROM `print` limit 1");
    load_settings();
  });
}

void PrintService::queue_check_tick() {
  bool checked = false;
  guarded([this, &checked] {
    ++queue_ticks_;
    queue_countdown = queue_countdown - 1;
    services_.panel.set_label(platform::PanelLabel::QueueCheck,
                              "До проверки печати: " + std::to_string(queue_countdown) + " c.");
    if (queue_countdown != 0)
      return;
    checked = true;
    if (reload_queue_countdown())
      check_queue();
  });
  // A step of its own, so that the printers are looked at even when the database fails.
  if (checked)
    guarded([this] { check_printers(); });
}

bool PrintService::reload_queue_countdown() {
  const std::string text = settings.printer_timer;
  try {
    queue_countdown = data::parse_int(text);
  } catch (const data::ConvertError& failure) {
    queue_countdown = kFallbackQueueTicks;
    show_failure(failure);
    return false;
  }
  if (queue_countdown < 1) {
    queue_countdown = kFallbackQueueTicks;
    show_failure("'" + text + "' is not a valid printer_timer value (it must be 1 or more)");
    return false;
  }
  return true;
}

void PrintService::check_queue() {
  std::vector<std::string> passed_over;
  if (!read_queue(passed_over)) {
    note_queue_state(passed_over);
    return;
  }

  // Another service on this database may be printing too. A job runs only while this service
  // holds the queue lock, and its row is chosen again from a read of the queue made under the
  // lock, so that a row the other service printed meanwhile is not printed again. A check that
  // cannot take the lock runs no job. A check that finds nothing to do takes no lock.
  if (!db.queue_lock.try_take()) {
    print_row_id = db.queue.text("id");
    queue_state_ = "Есть очередь печати (печатает другая служба)";
    show_queue_state();
    return;
  }
  const data::QueueLockHold hold(db.queue_lock);
  read_journal();
  passed_over.clear();
  const bool chosen = read_queue(passed_over);
  note_queue_state(passed_over);
  if (!chosen)
    return;

  if (db.queue.text("type") == "podzakaz") {
    print_order_tickets();
  } else if (db.queue.text("type") == "predcheck") {
    print_precheck();
  } else if (db.queue.text("type") == "zakaz_close") {
    print_receipt();
  }
}

bool PrintService::read_queue(std::vector<std::string>& passed_over) {
  data::QuerySlot& queue = db.queue;
  queue.reload("select * from print where status='no' ORDER BY id ASC");

  // Forget failed or half-printed jobs whose rows no longer wait, or no longer ask for what they
  // asked for: a row with a reused id starts afresh.
  std::vector<std::string> keys;
  for (std::size_t r = 0; r < queue.row_count(); ++r)
    keys.push_back(data::journal_key(queue_row(queue, r)));
  const std::set<std::string> waiting(keys.begin(), keys.end());
  std::set<std::string> gone;
  for (const auto& [key, progress] : progress_) {
    if (waiting.count(key) == 0)
      gone.insert(key);
  }
  std::erase_if(held_until_, [&](const auto& e) { return waiting.count(e.first) == 0; });
  std::erase_if(progress_, [&](const auto& e) { return waiting.count(e.first) == 0; });
  // A row that stopped waiting before its job ended (the front end marked it) prints in full if
  // it is set back to "no": the journal forgets it too.
  if (!gone.empty())
    forget_in_journal(gone);

  // The oldest row of a known type that is not waiting out a failure; rows of other types stay
  // waiting and are passed over. Without one, the slot stays on the queue head.
  for (std::size_t r = 0; r < queue.row_count(); ++r) {
    const std::string& id = queue.text(r, "id");
    if (!is_job_type(queue.text(r, "type"))) {
      passed_over.push_back(id);
      continue;
    }
    const auto held = held_until_.find(keys[r]);
    if (held != held_until_.end() && held->second > queue_ticks_)
      continue;
    queue.move_to(r);
    return !queue.text("id").empty();
  }
  return false;
}

void PrintService::note_queue_state(const std::vector<std::string>& passed_over) {
  print_row_id = db.queue.text("id");
  queue_state_ = queue_state_text(!db.queue.text("status").empty(), passed_over);
  show_queue_state();
}

void PrintService::print_order_tickets() {
  run_job(&Jobs::print_order_tickets);
}
void PrintService::print_precheck() {
  run_job(&Jobs::print_precheck);
}
void PrintService::print_receipt() {
  run_job(&Jobs::print_receipt);
}

void PrintService::run_job(void (Jobs::*job)(tickets::JobContext&)) {
  // The job's memory, here and in the journal, belongs to the row as it reads now.
  const data::QueueRow queued = queue_row(db.queue, db.queue.current_row());
  const std::string key = data::journal_key(queued);
  const std::string row = queue_row_text(db.queue);
  const std::int32_t resume = queue_countdown;
  tickets::JobProgress& progress = progress_[key];
  // Where the journal is kept, it knows best what the job has printed, on any computer.
  JournalKeeper keeper(db.journal, queued, service_name_, journal_kept_,
                       [this](const std::function<void()>& statement) { in_journal(statement); });
  if (journal_kept_) {
    progress = tickets::JobProgress{};
    for (const data::JournalEntry& line : journal_lines_[key]) {
      if (line.state == "handed" || line.state == "ended") {
        progress.restore(line.document, {line.state == "ended", line.computer, line.printer,
                                         line.identity, line.discount});
      }
    }
  }
  progress.set_place(services_.computer, &keeper);
  tickets::JobContext context{
      db, services_.printer, services_.clock, settings, print_row_id, progress, [this](int ticks) {
        queue_countdown = ticks;
      }};
  try {
    const platform::BusyScope printing(services_.busy_notice, kPrintingReason);
    ((*jobs_).*job)(context);
  } catch (...) {
    // The keeper lives for this job only.
    progress.set_place(services_.computer, nullptr);
    // The countdown the job left says when its row is due again: 300 ticks while a document
    // was being printed, 2 when only the final status update failed. A row that had failed
    // before waits the full 300 ticks whatever failed, or a status update that the database keeps
    // refusing would take the row ahead of the rows behind it at every check. The row waits
    // while the rows behind it print; the queue goes on as if no job had run.
    const bool failed_before = held_until_.count(key) != 0;
    const std::int32_t wait =
        failed_before ? std::max(queue_countdown, kFailedJobTicks) : std::max(queue_countdown, 1);
    held_until_[key] = queue_ticks_ + wait;
    keep_hold(key, wait);
    queue_countdown = resume;
    failed_job_row_ = row;
    throw;
  }
  progress_.erase(key);
  held_until_.erase(key);
}

}  // namespace talvex::app
