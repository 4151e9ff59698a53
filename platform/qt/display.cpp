#include "platform/qt/display.h"

#include <QGuiApplication>

#include <csignal>
#include <cstdlib>

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
    setenv("QT_QPA_OFFSCREEN_NO_GLX", "1", 0);
  }
#endif
}

bool has_display() {
  const QString platform = QGuiApplication::platformName();
  return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

}  // namespace talvex::platform::qt
