#pragma once

#include <functional>
#include <string>

struct HWND__;
struct HICON__;

namespace talvex::platform::win32 {

// The icon in the notification area, with the application title as its tooltip and no menu. A
// left click calls the click handler; a double click counts as one click; other buttons do
// nothing. The icon belongs to a hidden window of its own, which also puts it back when Explorer
// restarts; it is removed from the notification area when the object is destroyed. Made, used and
// destroyed on the thread whose messages are dispatched.
class NotificationIcon final {
 public:
  explicit NotificationIcon(const std::string& tooltip);  // UTF-8
  ~NotificationIcon();
  NotificationIcon(const NotificationIcon&) = delete;
  NotificationIcon& operator=(const NotificationIcon&) = delete;

  // Whether there is a notification area (the taskbar) to show the icon in.
  static bool available();
  void show();
  void on_click(std::function<void()> clicked);

  // The window that the notification area knows the icon by, with kIconId, and the message it
  // sends that window for the mouse on the icon (the mouse message in its LPARAM).
  HWND__* window() const { return window_; }
  static constexpr unsigned kIconId = 1;
  static constexpr unsigned kIconMessage = 0x8000 + 1;  // WM_APP + 1

 private:
  friend struct NotificationIconEvents;
  void add();
  void mouse(unsigned event);

  HWND__* window_ = nullptr;
  HICON__* icon_ = nullptr;
  std::wstring tooltip_;
  unsigned taskbar_created_ = 0;
  bool shown_ = false;
  std::function<void()> clicked_;
  // The last activation: a click, a double click or another button.
  enum class Activation { None, Click, DoubleClick, Other } last_ = Activation::None;
  bool release_ends_double_click_ = false;
};

}  // namespace talvex::platform::win32
