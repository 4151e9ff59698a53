#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/jobs.h"
#include "app/test_page.h"
#include "data/connection.h"
#include "data/database.h"
#include "platform/busy_notice.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/panel.h"
#include "platform/printer.h"
#include "tickets/job_context.h"
#include "tickets/settings.h"

namespace talvex::app {

// What the service is given by the platform.
struct Services {
  platform::Panel& panel;
  platform::Printer& printer;
  platform::MessageBox& message_box;
  platform::Clock& clock;
  std::string title;  // the application title: caption of every error box
  // This computer's name, which the journal of documents keeps with each document it hands over.
  std::string computer{};
  // The timers' interval: a failing row's hold is kept in the journal as a time.
  std::chrono::milliseconds tick{1000};
  // Told while a job or a test page prints, so that the end of the session waits for it.
  platform::BusyNotice& busy_notice = platform::no_busy_notice();
};

// What the end of the session is told while the service prints.
inline constexpr std::string_view kPrintingReason = "Идет печать документа";

// The print service behind the main window: it owns the connection, the query slots and the
// statement slot, holds the countdowns, the job being printed and the settings, and handles the
// window's events. Each handler is a boundary: a failure ends it at the failing step and is shown
// in the error box.
class PrintService {
 public:
  PrintService(const data::ConnectionParams& params, Services services,
               std::unique_ptr<Jobs> jobs = service_jobs());
  PrintService(const PrintService&) = delete;
  PrintService& operator=(const PrintService&) = delete;

  // Opens every query slot with its default statement, the first one opening the connection, and
  // makes the journal of documents ready. A failure is not caught here: start-up fails with it;
  // a journal that cannot be kept is only told of.
  void open_database();

  // Event handlers.
  // The window is created: the countdowns start, the port chooser is filled, the panel hides.
  void start();
  // One tick of each timer: the data check (keep-alive and settings every ten ticks) and the
  // queue check (every printer_timer ticks).
  void data_check_tick();
  void queue_check_tick();
  // The notification icon's click, and the panel's buttons.
  void show_panel();
  void hide_panel();
  void close();
  void show_printer_list();
  void test_print_on_role(std::string_view role);
  void test_print_on_chosen_port();

  // The steps the handlers run; each lets its failure through to the handler.
  void load_settings();
  void check_queue();
  void fill_port_chooser();
  void print_order_tickets();
  void print_precheck();
  void print_receipt();
  // Reads the printers' states, unless they were read less than five seconds ago (by the clock),
  // and shows them: what has kept a printer that a `printers` row names from printing for five
  // seconds and the jobs left unfinished for a minute on the queue line, a change of the former in
  // the error box, and each printer's state in the printer list once it has been shown. Sends no
  // statement: the roles are those of the `printers` rows the service has read.
  void check_printers();
  void refresh_printer_states();

  data::Database db;

  // Ticks left until the next data check, and until the next queue check.
  std::int32_t data_check_countdown = 0;
  std::int32_t queue_countdown = 0;
  // The `print` row of the job being handled: its id as text.
  std::string print_row_id;
  // The settings read at the last data check.
  tickets::Settings settings;

 private:
  // Runs a handler's body and shows its failure, if any, in the error box.
  void guarded(const std::function<void()>& body);
  void show_failure(const std::exception& failure);
  void show_failure(const std::string& message);
  // Reloads the queue countdown from printer_timer; false when the setting cannot be used.
  bool reload_queue_countdown();
  // Reads the waiting rows and moves the queue slot to the row to print next; false when no row
  // is due. Rows of unknown types are added to `passed_over`.
  bool read_queue(std::vector<std::string>& passed_over);
  // Notes the queue's state for the queue line and shows it, and takes the id of the queue
  // slot's row as the job's.
  void note_queue_state(const std::vector<std::string>& passed_over);
  void run_job(void (Jobs::*job)(tickets::JobContext&));
  // Prints the test page on the selected printer, naming the current `printers` row.
  void print_test_page(TestPageSizes sizes);
  // Keeps the role and port of every row the `printers` slot reads.
  void remember_printer_rows(const data::QuerySlot& printers);
  // The queue line: the queue's state, then what the printers' states add to it.
  void show_queue_state();
  // The journal of documents: made ready at start, read under the queue lock, and given up, with
  // one message, once it turns out that it cannot be kept.
  void prepare_journal();
  void read_journal();
  void journal_lost(const data::DataError& failure);
  void forget_in_journal(const std::set<std::string>& row_keys);
  // Runs a journal statement while the journal is kept; a failure that means it cannot be kept
  // gives it up, any other is thrown.
  void in_journal(const std::function<void()>& statement);
  // Keeps a failed row's hold in the journal, for the other services and for the next start.
  void keep_hold(const std::string& row_key, std::int32_t ticks);

  Services services_;
  std::unique_ptr<Jobs> jobs_;

  // Rows of failed jobs wait until the queue timer has ticked this far, so the rows behind them go
  // first; so do rows that another service holds in the journal. By the row's journal key, as
  // everything the service remembers of a row: a row with a reused id is another row.
  std::int64_t queue_ticks_ = 0;
  std::map<std::string, std::int64_t> held_until_;
  // What each unfinished job has printed, so that its retry does not print it again.
  std::map<std::string, tickets::JobProgress> progress_;

  // The journal of documents in the database: whether it is kept, whether it has been given up,
  // this service's name in it, and what it held for each waiting row at the last reading.
  bool journal_kept_ = false;
  bool journal_lost_ = false;
  std::string service_name_;
  std::map<std::string, std::vector<data::JournalEntry>> journal_lines_;

  // The printers' states: each role's port as last read, when the states were read, since when
  // each printer has had its trouble (the words for it) and each unfinished job has been seen, the
  // two parts of the queue line, the printer troubles at the last reading, and the printer list's
  // lines once the list has been shown.
  std::map<std::string, std::string> printer_ports_;
  std::optional<std::int64_t> states_read_ms_;
  std::map<std::size_t, std::pair<std::string, std::int64_t>> trouble_since_ms_;
  std::map<int, std::int64_t> job_seen_ms_;
  std::string queue_state_;
  std::string printer_notes_;
  std::set<std::string> told_troubles_;
  bool printer_list_shown_ = false;
  // The queue row of the job that just failed ("`print` row 16, predcheck, order 4"), for the
  // failure's line on standard error; empty outside a failed job.
  std::string failed_job_row_;
  std::optional<std::vector<std::string>> printer_list_;
};

}  // namespace talvex::app
