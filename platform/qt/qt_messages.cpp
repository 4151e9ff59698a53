#include "platform/qt/qt_messages.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace talvex::platform::qt {
namespace {

// Warnings of the platform layer that describe the missing display, not a fault.
constexpr std::array<const char*, 2> kPlatformNotes{
    "This plugin does not support",
    "QStandardPaths: XDG_RUNTIME_DIR not set",
};

bool is_note(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtDebugMsg || type == QtInfoMsg)
    return true;
  if (type != QtWarningMsg)
    return false;
  if (context.category != nullptr && std::strncmp(context.category, "qt.qpa", 6) == 0)
    return true;
  for (const char* note : kPlatformNotes) {
    if (text.startsWith(QLatin1String(note)))
      return true;
  }
  return false;
}

void write_message(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (is_note(type, context, text))
    return;
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  std::fflush(stderr);
  if (type == QtFatalMsg)
    std::abort();
}

}  // namespace

void quiet_qt_notes() {
  qInstallMessageHandler(write_message);
}

}  // namespace talvex::platform::qt
