#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/jobs.h"
#include "data/connection.h"
#include "data/database.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/panel.h"
#include "platform/printer.h"
#include "tickets/job_context.h"
#include "tickets/settings.h"

namespace talvex::app {

// What the main window is given by the platform.
struct Services {
  platform::Panel& panel;
  platform::Printer& printer;
  platform::MessageBox& message_box;
  const platform::Clock& clock;
  std::string title;  // the application title: caption of every error box
};

// The main window: it owns the connection, the query slots, the bound fields and the statement
// slot, holds the countdowns, the queue head and the settings, and has the event handlers. Each
// handler is a boundary: a failure ends it at the failing step and is shown in the error box.
class TForm1 {
 public:
  TForm1(const data::ConnectionParams& params, Services services,
         std::unique_ptr<Jobs> jobs = service_jobs());
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Loading the window's design: every query slot opens with its default statement, the first
  // one opening the connection. A failure is not caught here: start-up fails with it.
  void load();

  // Event handlers.
  void FormCreate();
  void Timer1Timer();
  void Timer2Timer();
  void TrayIcon1Click();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button6Click();
  void Button7Click();
  void Button8Click();

  // The methods the handlers run; each lets its failure through to the handler.
  void settings();
  void check_print();
  void count_port();
  void podzakaz();
  void predcheck();
  void zakaz_close();

  // The connection, the query slots and the statement slot.
  data::Database db;

  // Ticks of Timer1 left until the next data check, and of Timer2 until the next queue check.
  std::int32_t tm = 0;
  std::int32_t tmr = 0;
  // The id of the queue row being handled, as text.
  std::string print_id;
  // The settings read at the last data check.
  tickets::Settings setting_values;

 private:
  // Runs a handler's body and shows its failure, if any, in the error box.
  void guarded(const std::function<void()>& body);
  void show_failure(const std::exception& failure);
  void show_failure(const std::string& message);
  // Reloads the queue countdown from printer_timer; false when the setting cannot be used.
  bool reload_queue_countdown();
  void run_job(void (Jobs::*job)(tickets::JobContext&));
  void test_print_on_role(const char* role);

  Services services_;
  std::unique_ptr<Jobs> jobs_;

  // Rows of failed jobs wait until Timer2 has ticked this far, so the rows behind them go first.
  std::int64_t queue_ticks_ = 0;
  std::map<std::string, std::int64_t> held_until_;
  // What each unfinished job has printed, so that its retry does not print it again.
  std::map<std::string, tickets::JobProgress> progress_;
};

// The single instance, set while it is created.
extern TForm1* Form1;

}  // namespace talvex::app
