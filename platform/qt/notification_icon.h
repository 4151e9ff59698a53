#pragma once

#include <QIcon>
#include <QSystemTrayIcon>

#include <functional>
#include <string>

namespace talvex::platform::qt {

// The program's icon, drawn in the six square sizes the notification area picks from.
QIcon draw_program_icon();

// The icon in the notification area, with the application title as its tooltip and no menu. A
// left click calls the click handler; a double click counts as one click; other buttons do
// nothing. Removed from the notification area when destroyed.
class NotificationIcon final {
 public:
  explicit NotificationIcon(const std::string& tooltip);
  NotificationIcon(const NotificationIcon&) = delete;
  NotificationIcon& operator=(const NotificationIcon&) = delete;

  void on_click(std::function<void()> handler) { clicked_ = std::move(handler); }
  // Whether the platform has a notification area to show the icon in.
  static bool available();
  void show();

  QSystemTrayIcon& tray() { return tray_; }

 private:
  void activated(QSystemTrayIcon::ActivationReason reason);

  QSystemTrayIcon tray_;
  std::function<void()> clicked_;
  QSystemTrayIcon::ActivationReason last_ = QSystemTrayIcon::Unknown;
};

}  // namespace talvex::platform::qt
