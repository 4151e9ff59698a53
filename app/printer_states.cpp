#include "app/printer_states.h"

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "app/error_text.h"
#include "app/print_service.h"
#include "data/errors.h"
#include "data/integer_parse.h"

namespace talvex::app {
namespace {

using platform::PrinterActivity;
using platform::PrinterState;

// The states are read at most this often, however short the queue check's interval.
constexpr std::int64_t kStateReadIntervalMs = 5000;
// A job that has not finished this long after the service first saw it is named on the panel.
constexpr std::int64_t kUnfinishedJobMs = 60000;
// A printer's trouble is told once it has lasted this long: a job's start passes through
// connecting-to-device, which only matters when it stays.
constexpr std::int64_t kLastingTroubleMs = 5000;

constexpr std::string_view kSuffixes[] = {"-error", "-warning", "-report"};

// The reason's keyword and its suffix.
std::pair<std::string_view, std::string_view> split_reason(std::string_view reason) {
  for (const std::string_view suffix : kSuffixes) {
    if (reason.size() > suffix.size() && reason.ends_with(suffix))
      return {reason.substr(0, reason.size() - suffix.size()), suffix};
  }
  return {reason, {}};
}

std::string joined(const std::vector<std::string>& parts, std::string_view separator) {
  std::string text;
  for (const std::string& part : parts)
    text += (text.empty() ? "" : std::string(separator)) + part;
  return text;
}

// Why the printer does not print a job, in the panel's words: its reasons from the table, else the
// platform's own words on it, else what it is doing.
std::string job_delay_words(const PrinterState& state) {
  std::string words = reason_texts(state);
  if (words.empty())
    words = state.message;
  if (words.empty())
    words = activity_words(state.activity);
  return words;
}

}  // namespace

const ReasonWords* reason_words(std::string_view reason) {
  const std::string_view keyword = split_reason(reason).first;
  for (const ReasonWords& row : kReasonWords) {
    if (row.keyword == keyword)
      return &row;
  }
  return nullptr;
}

bool stops_printing(std::string_view reason) {
  const ReasonWords* row = reason_words(reason);
  return row != nullptr && row->stops_printing && split_reason(reason).second != "-warning";
}

std::string_view activity_words(PrinterActivity activity) {
  switch (activity) {
    case PrinterActivity::Idle:
      return "готов";
    case PrinterActivity::Printing:
      return "печатает";
    case PrinterActivity::Stopped:
      return "остановлен";
    case PrinterActivity::Unknown:
      break;
  }
  return {};
}

std::string reason_texts(const PrinterState& state) {
  std::vector<std::string> words;
  for (const std::string& reason : state.reasons) {
    const ReasonWords* row = reason_words(reason);
    if (row != nullptr && std::find(words.begin(), words.end(), row->words) == words.end())
      words.emplace_back(row->words);
  }
  return joined(words, ", ");
}

bool out_of_order(const PrinterState& state) {
  return state.activity == PrinterActivity::Stopped ||
         std::any_of(state.reasons.begin(), state.reasons.end(),
                     [](const std::string& r) { return stops_printing(r); });
}

std::string printer_list_line(std::size_t index, const std::string& name,
                              const PrinterState& state) {
  std::string line = std::to_string(index) + " " + name;
  if (state.activity == PrinterActivity::Unknown)
    return line;
  line += " — " + std::string(activity_words(state.activity));
  const std::string reasons = reason_texts(state);
  if (!reasons.empty())
    line += ": " + reasons;
  return line + ", заданий: " + std::to_string(state.jobs.size());
}

void PrintService::remember_printer_rows(const data::QuerySlot& printers) {
  for (std::size_t r = 0; r < printers.row_count(); ++r)
    printer_ports_[printers.text(r, "name")] = printers.text(r, "port");
}

void PrintService::check_printers() {
  const std::int64_t now = services_.clock.local_now_ms();
  // A clock set back counts as due, so a wrong clock never stops the reading.
  if (states_read_ms_ && now >= *states_read_ms_ && now - *states_read_ms_ < kStateReadIntervalMs)
    return;
  refresh_printer_states();
}

void PrintService::refresh_printer_states() {
  const std::int64_t now = services_.clock.local_now_ms();
  states_read_ms_ = now;
  platform::Printer& printer = services_.printer;
  const std::vector<std::string>& names = printer.printers();
  std::vector<PrinterState> states = printer.printer_states();
  states.resize(names.size());

  // The roles of the `printers` rows read so far, by the printer their port names.
  std::map<std::size_t, std::vector<std::string>> roles;
  std::optional<std::optional<int>> default_index;
  for (const auto& [role, port] : printer_ports_) {
    int index = 0;
    try {
      index = data::parse_int(port);
    } catch (const data::ConvertError&) {
      continue;  // the job that reads the row says what is wrong with it
    }
    if (index == -1) {
      if (!default_index)
        default_index = printer.default_printer();
      index = default_index->value_or(-1);
    }
    if (index >= 0 && static_cast<std::size_t>(index) < names.size())
      roles[static_cast<std::size_t>(index)].push_back(role);
  }
  const auto printer_words = [&](std::size_t index) {
    const auto named = roles.find(index);
    return named != roles.end() ? joined(named->second, ", ") : names[index];
  };

  // Printers named by a role that cannot print, and jobs left unfinished for a minute.
  std::vector<std::string> troubles;
  std::vector<std::string> late;
  std::set<int> seen;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const PrinterState& state = states[i];
    if (roles.count(i) == 0 || !out_of_order(state)) {
      trouble_since_ms_.erase(i);
    } else {
      std::string words = reason_texts(state);
      if (words.empty())
        words = activity_words(state.activity);
      auto [since, first] = trouble_since_ms_.try_emplace(i, words, now);
      // A clock set back starts the wait anew rather than never ending it.
      if (!first && (since->second.first != words || now < since->second.second))
        since->second = {words, now};
      if (now - since->second.second >= kLastingTroubleMs)
        troubles.push_back("Принтер " + printer_words(i) + ": " + words);
    }
    for (const platform::UnfinishedJob& job : state.jobs) {
      seen.insert(job.id);
      std::int64_t& since = job_seen_ms_.emplace(job.id, now).first->second;
      since = std::min(since, now);
      if (now - since >= kUnfinishedJobMs) {
        // CUPS hides the titles of other users' jobs.
        const std::string document =
            job.title.empty() ? "Задание " + std::to_string(job.id) : "«" + job.title + "»";
        late.push_back(document + " на " + printer_words(i) +
                       " не напечатан за минуту: " + job_delay_words(state));
      }
    }
  }
  std::erase_if(job_seen_ms_, [&](const auto& e) { return seen.count(e.first) == 0; });

  printer_notes_ = joined(troubles, ". ");
  if (!late.empty()) {
    printer_notes_ += (printer_notes_.empty() ? "" : ". ") + late.front();
    if (late.size() > 1)
      printer_notes_ += " (и ещё " + std::to_string(late.size() - 1) + ")";
  }
  show_queue_state();

  if (printer_list_shown_) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < names.size(); ++i)
      lines.push_back(printer_list_line(i, names[i], states[i]));
    if (!printer_list_ || lines != *printer_list_) {
      printer_list_ = lines;
      services_.panel.clear_printer_list();
      for (const std::string& line : lines)
        services_.panel.add_printer_line(line);
    }
  }

  // The error box tells of a printer's trouble once, when it begins: with the others there are,
  // none of which is told again on its own. A trouble that clears and comes back begins again.
  std::set<std::string> now_troubled(troubles.begin(), troubles.end());
  const bool begun = std::any_of(troubles.begin(), troubles.end(), [&](const std::string& t) {
    return told_troubles_.count(t) == 0;
  });
  told_troubles_ = std::move(now_troubled);
  if (begun)
    show_failure(joined(troubles, ". "));
}

void PrintService::show_queue_state() {
  std::string line;
  for (const std::string& part :
       {queue_state_, printer_notes_, std::string(journal_lost_ ? kNoJournalNote : "")}) {
    if (!part.empty())
      line += (line.empty() ? "" : ". ") + part;
  }
  if (!line.empty())
    services_.panel.set_label(platform::PanelLabel::QueueState, line);
}

}  // namespace talvex::app
