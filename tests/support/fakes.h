#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/busy_notice.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/panel.h"

namespace talvex::testing {

// The status panel as the engine sees it, with the design texts it starts with.
class FakePanel final : public platform::Panel {
 public:
  void set_label(platform::PanelLabel which, const std::string& text) override {
    labels.at(static_cast<std::size_t>(which)) = text;
  }
  void add_port(const std::string& entry) override { ports.push_back(entry); }
  std::string port_text() const override { return port; }
  void clear_printer_list() override { printer_list.clear(); }
  void add_printer_line(const std::string& line) override { printer_list.push_back(line); }
  void set_size(int w, int h) override { size = {w, h}; }
  void close() override { closed = true; }

  const std::string& label(platform::PanelLabel which) const {
    return labels.at(static_cast<std::size_t>(which));
  }

  // The texts the design gives the labels before the service writes them.
  std::array<std::string, platform::kPanelLabelCount> labels{"Label1", "Label2", "Label3", "Label4",
                                                             "Label5", "Label6", "Label7"};
  std::vector<std::string> ports;
  std::string port = "1";
  std::vector<std::string> printer_list;
  std::pair<int, int> size{790, 563};
  bool closed = false;
};

// Records every error box instead of showing it.
class FakeMessageBox final : public platform::MessageBox {
 public:
  void show_error(const std::string& caption, const std::string& text,
                  const std::string& context) override {
    shown.push_back({caption, text, context});
  }
  struct Shown {
    std::string caption;
    std::string text;
    std::string context;
  };
  std::vector<Shown> shown;
};

// A clock that stands still until the test moves it; a pause moves it on at once and is recorded.
class FakeClock final : public platform::Clock {
 public:
  std::int64_t local_now_ms() const override { return now_ms; }
  void pause(std::chrono::milliseconds duration) override {
    pauses.push_back(duration);
    now_ms += duration.count();
  }
  std::int64_t now_ms = 1428400000000;  // 07.04.2015 09:46:40
  std::vector<std::chrono::milliseconds> pauses;
};

// Records what the end of the session is told, each call with what `moment` says of the time it
// came (how many documents had been printed, say).
class RecordingBusyNotice final : public platform::BusyNotice {
 public:
  explicit RecordingBusyNotice(std::function<std::string()> moment) : moment_(std::move(moment)) {}
  void begin(std::string_view reason) override {
    calls.push_back("begin \"" + std::string(reason) + "\" " + moment_());
  }
  void end() override { calls.push_back("end " + moment_()); }
  std::vector<std::string> calls;

 private:
  std::function<std::string()> moment_;
};

}  // namespace talvex::testing
