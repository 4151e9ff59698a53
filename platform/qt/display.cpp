#include "platform/qt/display.h"

#include <QGuiApplication>

#include <csignal>
#include <cstdlib>
#include <string_view>

namespace talvex::platform::qt {
namespace {

bool set(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

void prepare_process() {
#ifndef _WIN32
  std::signal(SIGPIPE, SIG_IGN);
  if (!set("DISPLAY") && !set("WAYLAND_DISPLAY")) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  } else if (!set("WAYLAND_DISPLAY")) {
    // Qt tries the platforms of the list in turn: an X server that does not answer (a session
    // that has ended, a wrong DISPLAY) leaves the service running offscreen instead of aborting.
    setenv("QT_QPA_PLATFORM", "xcb;offscreen", 0);
  }
  setenv("QT_QPA_OFFSCREEN_NO_GLX", "1", 0);
#endif
}

bool has_display() {
  const QString platform = QGuiApplication::platformName();
  return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

std::optional<std::string> unanswered_display() {
  if (!set("DISPLAY") || set("WAYLAND_DISPLAY") || has_display())
    return std::nullopt;
  // Offscreen by choice is not a display that failed.
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform != nullptr && std::string_view(platform).rfind("xcb", 0) != 0)
    return std::nullopt;
  return std::getenv("DISPLAY");
}

}  // namespace talvex::platform::qt
