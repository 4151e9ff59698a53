#include "app/print_service.h"

#include "app/error_text.h"

namespace talvex::app {

PrintService::PrintService(const data::ConnectionParams& params, Services services,
                           std::unique_ptr<Jobs> jobs)
    : db(params),
      services_(std::move(services)),
      jobs_(std::move(jobs)),
      service_name_(tickets::random_tag()) {
  db.printers.set_open_observer([this](const data::QuerySlot& s) { remember_printer_rows(s); });
}

void PrintService::open_database() {
  db.open_slots();
  prepare_journal();
}

void PrintService::start() {
  guarded([this] {
    data_check_countdown = 4;
    queue_countdown = 10;
    db.connection.connect();
    fill_port_chooser();
    services_.panel.set_size(0, 0);
  });
}

void PrintService::show_panel() {
  guarded([this] { services_.panel.set_size(330, 350); });
}

void PrintService::hide_panel() {
  guarded([this] { services_.panel.set_size(0, 0); });
}

void PrintService::close() {
  guarded([this] { services_.panel.close(); });
}

void PrintService::guarded(const std::function<void()>& body) {
  try {
    body();
  } catch (const std::exception& failure) {
    show_failure(failure);
  } catch (...) {
    show_failure("Unknown failure");
  }
  failed_job_row_.clear();
}

void PrintService::show_failure(const std::exception& failure) {
  services_.message_box.show_error(services_.title, error_box_text(failure), failed_job_row_);
}

void PrintService::show_failure(const std::string& message) {
  services_.message_box.show_error(services_.title, error_box_text(message), failed_job_row_);
}

}  // namespace talvex::app
