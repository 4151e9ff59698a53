#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/print_service.h"
#include "data/errors.h"
#include "platform/printer.h"
#include "tests/support/database_fixture.h"
#include "tests/support/fakes.h"
#include "tests/support/recording_print_system.h"

namespace talvex::testing {

// Jobs that behave like the real ones towards the queue (hold the countdown at 300, mark the row,
// then set the countdown to 2) and record which row ran at which tick. Rows listed in `failing`
// fail after taking the countdown to 300; rows listed in `failing_update` fail as a bill whose
// documents have ended but whose status update is refused, with the countdown at 2.
class RecordingJobs final : public app::Jobs {
 public:
  struct Run {
    std::string type;
    std::string id;
    int tick;
  };

  explicit RecordingJobs(const int& tick) : tick_(tick) {}

  void print_order_tickets(tickets::JobContext& job) override { run("podzakaz", job); }
  void print_precheck(tickets::JobContext& job) override { run("predcheck", job); }
  void print_receipt(tickets::JobContext& job) override { run("zakaz_close", job); }

  std::vector<Run> runs;
  std::set<std::string> failing;
  std::set<std::string> failing_update;

 private:
  void run(const std::string& type, tickets::JobContext& job) {
    runs.push_back({type, job.print_row_id, tick_});
    job.set_queue_countdown(300);
    if (failing.count(job.print_row_id) != 0)
      throw data::DataError("Printer jammed");
    if (failing_update.count(job.print_row_id) != 0) {
      job.set_queue_countdown(2);
      throw data::DataError("Lost connection to server during query");
    }
    tickets::mark_printed(job);
    job.set_queue_countdown(2);
  }

  const int& tick_;
};

// The main window on the suite's database, with a fake panel, message box and clock, the
// recording printer, the recording busy notice and recording jobs. tick() delivers one tick of both
// timers.
class ServiceTest : public DatabaseTest {
 protected:
  void SetUp() override {
    DatabaseTest::SetUp();
    make_service(params());
  }

  void make_service(const data::ConnectionParams& p) {
    service.reset();
    auto recording = std::make_unique<RecordingJobs>(now);
    jobs = recording.get();
    service = std::make_unique<app::PrintService>(p,
                                                  app::Services{.panel = panel,
                                                                .printer = printer,
                                                                .message_box = box,
                                                                .clock = clock,
                                                                .title = "Talvex",
                                                                .busy_notice = notice},
                                                  std::move(recording));
    service->db.connection.set_statement_observer([this](const std::string& s) {
      sent.push_back({now, s});
    });
  }

  void start() {
    service->open_database();
    service->start();
  }

  void tick(int n = 1) {
    for (int i = 0; i < n; ++i) {
      ++now;
      service->data_check_tick();
      service->queue_check_tick();
    }
  }

  // The ticks at which `statement` was sent.
  std::vector<int> ticks_of(const std::string& statement) const {
    std::vector<int> out;
    for (const auto& s : sent) {
      if (s.text == statement)
        out.push_back(s.tick);
    }
    return out;
  }

  void standard_settings(const std::string& printer_timer = "5") {
    sql("INSERT INTO settings (name, value) VALUES ('oragnization', 'ТОО «Зефира»'), "
        "('title', 'Кафе'), ('control_printer', '1'), ('printer_timer', '" +
        printer_timer +
        "'), ('printer_total', '0'), ('name_check_left', '60'), ('title_check_left', '120')");
  }

  struct Sent {
    int tick;
    std::string text;
  };

  int now = 0;
  FakePanel panel;
  FakeMessageBox box;
  FakeClock clock;
  RecordingPrintSystem printers;
  platform::Printer printer{printers};
  RecordingBusyNotice notice{
      [this] { return "after " + std::to_string(printers.jobs.size()) + " printed"; }};
  RecordingJobs* jobs = nullptr;
  std::unique_ptr<app::PrintService> service;
  std::vector<Sent> sent;
};

}  // namespace talvex::testing
