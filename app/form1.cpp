#include "app/form1.h"

#include "app/error_text.h"

namespace talvex::app {

TForm1* Form1 = nullptr;

TForm1::TForm1(const data::ConnectionParams& params, Services services, std::unique_ptr<Jobs> jobs)
    : db(params), services_(std::move(services)), jobs_(std::move(jobs)) {
  Form1 = this;
}

TForm1::~TForm1() {
  if (Form1 == this)
    Form1 = nullptr;
}

void TForm1::load() {
  db.open_slots();
}

void TForm1::FormCreate() {
  guarded([this] {
    tm = 4;
    tmr = 10;
    db.connection.connect();
    count_port();
    services_.panel.set_size(0, 0);
  });
}

void TForm1::TrayIcon1Click() {
  guarded([this] { services_.panel.set_size(330, 350); });
}

void TForm1::Button6Click() {
  guarded([this] { services_.panel.set_size(0, 0); });
}

void TForm1::Button7Click() {
  guarded([this] { services_.panel.close(); });
}

void TForm1::guarded(const std::function<void()>& body) {
  try {
    body();
  } catch (const std::exception& failure) {
    show_failure(failure);
  } catch (...) {
    show_failure("Unknown failure");
  }
}

void TForm1::show_failure(const std::exception& failure) {
  services_.message_box.show_error(services_.title, error_box_text(failure));
}

void TForm1::show_failure(const std::string& message) {
  services_.message_box.show_error(services_.title, error_box_text(message));
}

}  // namespace talvex::app
