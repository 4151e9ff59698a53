// Writes the program's icon as the PNG files of a hicolor icon theme, <folder>/<N>x<N>/apps/
// talvex.png, from the drawing the notification area shows, so the menu entry and the tray carry
// the same picture.

#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <cstdlib>
#include <iostream>

#include "platform/qt/notification_icon.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: " << argv[0] << " FOLDER\n";
    return 2;
  }
  // Drawing needs no screen; the build may run where there is none.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("QT_QPA_OFFSCREEN_NO_GLX", "1", 1);
  int qt_argc = 1;
  QGuiApplication application(qt_argc, argv);

  const QString folder = QString::fromLocal8Bit(argv[1]);
  const QIcon icon = talvex::platform::qt::draw_program_icon();
  for (const QSize& size : icon.availableSizes()) {
    const QString apps =
        QDir(folder).filePath(QStringLiteral("%1x%2/apps").arg(size.width()).arg(size.height()));
    const QString file = QDir(apps).filePath(QStringLiteral("talvex.png"));
    if (!QDir().mkpath(apps) || !icon.pixmap(size).save(file, "PNG")) {
      std::cerr << "cannot write " << file.toStdString() << "\n";
      return 1;
    }
  }
  return 0;
}
