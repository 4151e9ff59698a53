// The print service's side of the journal of documents: whether it is kept, and the holds of
// failed rows in it.

#include <algorithm>

#include "app/print_service.h"

#include "app/error_text.h"

namespace talvex::app {

void PrintService::prepare_journal() {
  journal_kept_ = true;
  try {
    db.journal.prepare();
  } catch (const data::DataError& failure) {
    if (!data::journal_unavailable(failure))
      throw;
    // A table that an administrator made serves without the privilege to create one.
    try {
      db.journal.read_waiting();
    } catch (const data::DataError& second) {
      if (!data::journal_unavailable(second))
        throw;
      journal_lost(failure);
    }
  }
}

void PrintService::in_journal(const std::function<void()>& statement) {
  if (!journal_kept_)
    return;
  try {
    statement();
  } catch (const data::DataError& failure) {
    if (!data::journal_unavailable(failure))
      throw;
    journal_lost(failure);
  }
}

void PrintService::read_journal() {
  journal_lines_.clear();
  std::vector<data::JournalEntry> entries;
  in_journal([&] { entries = db.journal.read_waiting(); });
  const std::int64_t tick_ms = std::max<std::int64_t>(services_.tick.count(), 1);
  for (data::JournalEntry& entry : entries) {
    // This service's own holds count in its ticks; what is left of the hold of a service that
    // stopped, or runs elsewhere, is turned into this service's ticks, one more than it fills:
    // the tick the count starts on may have come late, and the next one catches up.
    if (entry.held_ms > 0 && entry.service != service_name_) {
      std::int64_t& until = held_until_[entry.row_key];
      until = std::max(until, queue_ticks_ + (entry.held_ms + tick_ms - 1) / tick_ms + 1);
    }
    const std::string key = entry.row_key;
    journal_lines_[key].push_back(std::move(entry));
  }
}

void PrintService::journal_lost(const data::DataError& failure) {
  journal_kept_ = false;
  if (journal_lost_)
    return;
  journal_lost_ = true;
  show_failure(journal_lost_text(failure.what()));
  show_queue_state();
}

void PrintService::forget_in_journal(const std::set<std::string>& row_keys) {
  in_journal([&] { db.journal.forget(row_keys); });
}

void PrintService::keep_hold(const std::string& row_key, std::int32_t ticks) {
  try {
    in_journal([&] {
      db.journal.hold(row_key, service_name_,
                      static_cast<std::int64_t>(ticks) * services_.tick.count());
    });
  } catch (const data::DataError&) {
    // The hold is kept here in any case; the job's own failure is the one to show.
  }
}

}  // namespace talvex::app
