#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "platform/panel.h"
#include "platform/panel_design.h"

struct HWND__;
struct HICON__;
struct HBRUSH__;
struct HDC__;
struct tagRECT;

namespace talvex::platform::win32 {

class PanelFonts;

// The main window with the status panel, built from the panel's design: a borderless window at the
// top-left corner that carries the program's taskbar button and icon, with the design's group
// boxes, labels, buttons, port chooser and printer list (the controls of a group box are placed
// within it, as children of the window), each group box filled with its colour. A size with a zero
// side hides it, any other shows it there without activating it. It is not shown before
// show_window(), the start of the message loop. Sizes and positions are the design's, in pixels at
// 96 dpi: the window scales them, and its font, to the DPI of the monitor it is on, and lays itself
// out again when it moves to one of another DPI.
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
  // Called when Windows ends the session (shutting down, logging off). The process may end as soon
  // as the handler returns, so whatever must be finished is finished inside it.
  void on_session_end(std::function<void()> handler);
  // Shows the window at the size set so far (790 x 563 at design), or keeps it hidden at 0 x 0.
  void show_window();

  HWND__* window() const { return window_; }

 private:
  friend struct PanelEvents;
  // A length of the design in pixels at the window's DPI.
  int scaled(int design) const;
  // Places every control, gives it its font and sizes the labels to their texts, at dpi_.
  void lay_out();
  void change_dpi(int dpi, const tagRECT& suggested);
  void paint_background(HDC__* dc) const;
  // The brush a label, group box or button draws its surroundings with, with `dc` set to draw text
  // on it; nullptr for the system's own.
  HBRUSH__* background_of(HWND__* control, HDC__* dc) const;
  void apply_size();
  void size_label_to_text(HWND__* label, const std::wstring& text);

  HWND__* window_ = nullptr;
  int dpi_ = 96;
  std::unique_ptr<PanelFonts> fonts_;
  std::array<HWND__*, std::size(kPanelControls)> controls_{};
  // The colours of the group boxes that have one, by the design's index.
  std::array<HBRUSH__*, std::size(kPanelControls)> backgrounds_{};
  HICON__* big_icon_ = nullptr;
  HICON__* small_icon_ = nullptr;
  std::array<HWND__*, kPanelLabelCount> labels_{};
  HWND__* ports_ = nullptr;
  HWND__* printers_ = nullptr;
  std::array<std::function<void()>, kPanelButtonCount> buttons_;
  std::function<void()> closed_;
  std::function<void()> session_end_;
  int width_ = 0;
  int height_ = 0;
  bool started_ = false;
};

}  // namespace talvex::platform::win32
