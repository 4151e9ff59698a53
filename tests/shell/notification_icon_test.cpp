#include "platform/qt/notification_icon.h"

#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

#include "platform/qt/status_panel.h"

namespace talvex::platform::qt {
namespace {

using Reason = QSystemTrayIcon::ActivationReason;

struct ActivationCase {
  const char* name;
  std::vector<Reason> reasons;
  int clicks;
};

const ActivationCase kActivations[] = {
    {"left click", {QSystemTrayIcon::Trigger}, 1},
    {"double click as the platforms report it",
     {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick},
     1},
    {"double click reported alone", {QSystemTrayIcon::DoubleClick}, 1},
    {"two double clicks",
     {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Trigger,
      QSystemTrayIcon::DoubleClick},
     2},
    {"right click", {QSystemTrayIcon::Context}, 0},
    {"middle click", {QSystemTrayIcon::MiddleClick}, 0},
    {"right click, then left click", {QSystemTrayIcon::Context, QSystemTrayIcon::Trigger}, 1},
};

TEST(NotificationIcon, CountsLeftClicksAndIgnoresOtherButtons) {
  for (const ActivationCase& c : kActivations) {
    SCOPED_TRACE(c.name);
    NotificationIcon icon("Talvex");
    int clicks = 0;
    icon.on_click([&clicks] { ++clicks; });
    for (const Reason reason : c.reasons)
      Q_EMIT icon.tray().activated(reason);
    EXPECT_EQ(clicks, c.clicks);
  }
}

TEST(NotificationIcon, HasTheTitleAsTooltipAndNoMenu) {
  NotificationIcon icon("Talvex");
  EXPECT_EQ(icon.tray().toolTip().toStdString(), "Talvex");
  EXPECT_EQ(icon.tray().contextMenu(), nullptr);
  EXPECT_FALSE(icon.tray().icon().isNull());
}

TEST(NotificationIcon, ClickShowsThePanelAtTheCorner) {
  StatusPanel panel;
  panel.set_size(0, 0);
  panel.show_window();
  NotificationIcon icon("Talvex");
  icon.on_click([&panel] { panel.set_size(330, 350); });

  Q_EMIT icon.tray().activated(QSystemTrayIcon::Context);
  EXPECT_FALSE(panel.window().isVisible());
  Q_EMIT icon.tray().activated(QSystemTrayIcon::Trigger);
  EXPECT_TRUE(panel.window().isVisible());
  EXPECT_EQ(panel.window().geometry(), QRect(0, 0, 330, 350));
}

TEST(ProgramIcon, IsDrawnInSixSquareSizes) {
  const QIcon icon = draw_program_icon();
  const QList<QSize> expected = {{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
  EXPECT_EQ(icon.availableSizes(), expected);
  for (const QSize& size : expected) {
    SCOPED_TRACE(size.width());
    const QImage image = icon.pixmap(size).toImage();
    ASSERT_EQ(image.size(), size);
    // Transparent around the glyph, opaque on it.
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(size.width() / 2, size.height() / 2)), 255);
  }
}

}  // namespace
}  // namespace talvex::platform::qt
