#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "platform/panel.h"

class QComboBox;
class QLabel;
class QListWidget;
class QWidget;

namespace talvex::platform::qt {

// The main window with the status panel, built from the window's design table. The window is
// borderless at the top-left corner; a size with a zero side hides it, any other shows it there
// without activating it. It is not shown before show_window(), the start of the message loop.
//
// The controls carry object names that say what they are ("kassaButton", "dataCheckLabel",
// "portChooser", ...).
class StatusPanel final : public Panel {
 public:
  StatusPanel();
  ~StatusPanel() override;
  StatusPanel(const StatusPanel&) = delete;
  StatusPanel& operator=(const StatusPanel&) = delete;

  void set_label(PanelLabel which, const std::string& text) override;
  void add_port(const std::string& entry) override;
  std::string port_text() const override;
  void clear_printer_list() override;
  void add_printer_line(const std::string& line) override;
  void set_size(int width, int height) override;
  void close() override;

  // The button calls `handler` when clicked.
  void on_button(PanelButton which, std::function<void()> handler);
  // Called once when the window closes, whether by close() or by a request of the system.
  void on_closed(std::function<void()> handler);
  // Shows the window at the size set so far (790 x 563 at design), or keeps it hidden at 0 x 0.
  void show_window();

  QWidget& window();

 private:
  class Window;
  void apply_size();

  std::unique_ptr<Window> window_;
  std::array<QLabel*, kPanelLabelCount> labels_{};
  QComboBox* ports_ = nullptr;
  QListWidget* printers_ = nullptr;
  std::array<std::function<void()>, kPanelButtonCount> buttons_;
  int width_ = 0;
  int height_ = 0;
  bool started_ = false;
};

}  // namespace talvex::platform::qt
