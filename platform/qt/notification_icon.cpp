#include "platform/qt/notification_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>

namespace talvex::platform::qt {
namespace {

constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};

// A receipt coming out of a printer, drawn on a 64-unit grid so that every size has the same
// shapes; outlines stay at least one pixel wide so the small sizes remain legible.
QPixmap draw_icon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal unit = size / 64.0;
  p.scale(unit, unit);
  const qreal outline = std::max(1.0 / unit, 2.0);
  const QColor ink(0x26, 0x32, 0x38);
  const QColor body(0x45, 0x5A, 0x64);
  const QColor paper(0xFA, 0xFA, 0xFA);

  // The paper roll behind the printer.
  p.setPen(QPen(ink, outline));
  p.setBrush(paper);
  p.drawRect(QRectF(16, 3, 32, 22));

  // The printer body with its paper slot.
  p.setBrush(body);
  p.drawRoundedRect(QRectF(3, 18, 58, 26), 6, 6);
  p.setBrush(ink);
  p.drawRect(QRectF(12, 36, 40, 4));
  p.setBrush(QColor(0x66, 0xBB, 0x6A));
  p.setPen(Qt::NoPen);
  p.drawEllipse(QRectF(49, 23, 6, 6));

  // The receipt with a torn edge and three lines of print.
  QPainterPath receipt;
  receipt.moveTo(15, 38);
  receipt.lineTo(49, 38);
  receipt.lineTo(49, 61);
  for (int i = 0; i < 6; ++i) {
    const qreal right = 49 - i * (34.0 / 6);
    receipt.lineTo(right - 34.0 / 12, 57);
    receipt.lineTo(right - 34.0 / 6, 61);
  }
  receipt.closeSubpath();
  p.setPen(QPen(ink, outline));
  p.setBrush(paper);
  p.drawPath(receipt);
  p.setPen(QPen(ink, std::max(1.0 / unit, 3.0), Qt::SolidLine, Qt::FlatCap));
  for (const qreal y : {44.0, 49.0, 54.0})
    p.drawLine(QLineF(20, y, y == 54.0 ? 34 : 44, y));
  return pixmap;
}

}  // namespace

QIcon draw_program_icon() {
  QIcon icon;
  for (const int size : kIconSizes)
    icon.addPixmap(draw_icon(size));
  return icon;
}

NotificationIcon::NotificationIcon(const std::string& tooltip) {
  tray_.setIcon(draw_program_icon());
  tray_.setToolTip(QString::fromStdString(tooltip));
  QObject::connect(&tray_, &QSystemTrayIcon::activated,
                   [this](QSystemTrayIcon::ActivationReason reason) { activated(reason); });
}

bool NotificationIcon::available() {
  return QSystemTrayIcon::isSystemTrayAvailable();
}

void NotificationIcon::show() {
  tray_.show();
}

void NotificationIcon::activated(QSystemTrayIcon::ActivationReason reason) {
  const QSystemTrayIcon::ActivationReason previous = std::exchange(last_, reason);
  // The platforms report a double click as a click followed by a double click; only a double
  // click that came alone still needs its click.
  const bool click =
      reason == QSystemTrayIcon::Trigger ||
      (reason == QSystemTrayIcon::DoubleClick && previous != QSystemTrayIcon::Trigger);
  if (click && clicked_)
    clicked_();
}

}  // namespace talvex::platform::qt
