#pragma once

#include <functional>
#include <string>

struct HWND__;
struct HICON__;
struct _NOTIFYICONDATAW;

namespace talvex::platform::win32 {

// What the icon asks of the shell: whether there is a notification area, and Shell_NotifyIconW.
// Tests put a fake in its place.
class NotificationArea {
 public:
  virtual ~NotificationArea() = default;
  virtual bool present() const;
  virtual bool notify(unsigned long message, _NOTIFYICONDATAW& data);
  // The shell's own.
  static NotificationArea& system();
};

// The icon in the notification area, with the application title as its tooltip and no menu. A
// left click, or the keyboard's selection of the icon, calls the click handler; a double click
// counts as one click; other buttons do nothing. The icon belongs to a hidden window of its own.
// Once shown, it is there for as long as the object lives: an area that refuses it (the taskbar
// still starting at login, or none yet) is asked again every second until it takes it, and an
// area that appears or restarts ("TaskbarCreated") gets it at once. It is removed from the area
// when the object is destroyed. Made, used and destroyed on the thread whose messages are
// dispatched.
class NotificationIcon final {
 public:
  explicit NotificationIcon(const std::string& tooltip,  // UTF-8
                            NotificationArea& area = NotificationArea::system());
  ~NotificationIcon();
  NotificationIcon(const NotificationIcon&) = delete;
  NotificationIcon& operator=(const NotificationIcon&) = delete;

  // Whether there is a notification area (the taskbar) to show the icon in.
  bool available() const { return area_.present(); }
  void show();
  // Whether the area has taken the icon.
  bool in_area() const { return added_; }
  void on_click(std::function<void()> clicked);

  // The window that the notification area knows the icon by, with kIconId, and the message it
  // sends that window for the mouse on the icon (the mouse message in its LPARAM).
  HWND__* window() const { return window_; }
  static constexpr unsigned kIconId = 1;
  static constexpr unsigned kIconMessage = 0x8000 + 1;  // WM_APP + 1
  // How often a refused icon is offered again.
  static constexpr unsigned kRetryMs = 1000;

 private:
  friend struct NotificationIconEvents;
  void add();
  void mouse(unsigned event);

  NotificationArea& area_;
  HWND__* window_ = nullptr;
  HICON__* icon_ = nullptr;
  std::wstring tooltip_;
  unsigned taskbar_created_ = 0;
  bool shown_ = false;
  bool added_ = false;
  std::function<void()> clicked_;
  // The last activation: a click, a double click or another button.
  enum class Activation { None, Click, DoubleClick, Other } last_ = Activation::None;
  bool release_ends_double_click_ = false;
};

}  // namespace talvex::platform::win32
