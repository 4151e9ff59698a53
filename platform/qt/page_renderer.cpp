#include "platform/qt/page_renderer.h"

#include <QFontMetrics>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSettings>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace talvex::platform::qt {
namespace {

QString dialog_face() {
#ifdef Q_OS_WIN
  // The face Windows itself substitutes for its dialog font.
  const QSettings substitutes(
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes",
      QSettings::NativeFormat);
  const QString face = substitutes.value("MS Shell Dlg 2").toString();
  return face.isEmpty() ? QStringLiteral("MS Sans Serif") : face;
#else
  // Named explicitly: a generic family resolves differently from one fontconfig to the next.
  return QStringLiteral("DejaVu Sans");
#endif
}

}  // namespace

QFont canvas_font(int points, int dpi) {
  QFont font(dialog_face());
  font.setStyleHint(QFont::SansSerif);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  // The height is the em height in device dots, the way a negative font height asks for it.
  font.setPixelSize(character_height(points, dpi));
  return font;
}

int content_height(const PrintedPage& page, int dpi) {
  int bottom = 0;
  for (const DrawnText& t : page.texts) {
    const QFontMetrics metrics(canvas_font(t.points, dpi));
    bottom = std::max(bottom, t.y + metrics.height());
  }
  return bottom;
}

void draw_page(QPainter& painter, const PrintedPage& page, Glyphs glyphs) {
  const int dpi = painter.device()->logicalDpiY();
  painter.save();
  painter.setPen(Qt::black);
  painter.setBackground(Qt::white);
  painter.setBackgroundMode(Qt::OpaqueMode);
  for (const DrawnText& t : page.texts) {
    QFont font = canvas_font(t.points, dpi);
    if (glyphs == Glyphs::WholeDots)
      font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    // Qt places text by its baseline; the cell's top is one ascent above it.
    const QFontMetrics metrics(font, painter.device());
    painter.drawText(t.x, t.y + metrics.ascent(), QString::fromStdString(t.text));
  }
  painter.restore();
}

void write_pdf(const PrintedPage& page, const Roll& roll, const std::string& path) {
  // In points, and the sides in whole dots, so the printable area starts on a dot.
  const double points_per_dot = 72.0 / roll.dpi;
  const double width = roll.width_mm * 72.0 / 25.4;
  const int side_dots =
      std::max(0, static_cast<int>(width / points_per_dot) - roll.printable_dots) / 2;
  const double side = side_dots * points_per_dot;
  const double height = std::ceil(std::max(1, content_height(page, roll.dpi)) * points_per_dot);

  QPdfWriter writer(QString::fromStdString(path));
  writer.setResolution(roll.dpi);
  writer.setTitle(QString::fromStdString(page.title));
  writer.setCreator(QStringLiteral("Talvex"));
  writer.setPageLayout(QPageLayout(
      QPageSize(QSizeF(width, height), QPageSize::Point, QString(), QPageSize::ExactMatch),
      QPageLayout::Portrait, QMarginsF(side, 0, side, 0), QPageLayout::Point));

  QPainter painter;
  if (!painter.begin(&writer))
    throw PrinterError("Cannot write " + path);
  draw_page(painter, page);
  if (!painter.end())
    throw PrinterError("Cannot write " + path);
}

MonoImage render_mono(const PrintedPage& page, int dpi, int width_dots) {
  MonoImage mono(std::max(0, width_dots), page.texts.empty() ? 0 : content_height(page, dpi));
  if (mono.width == 0 || mono.height == 0)
    return mono;

  QImage canvas(mono.width, mono.height, QImage::Format_Grayscale8);
  // draw_page takes the resolution from the device: dots per metre that read back as `dpi`.
  const int dots_per_metre = static_cast<int>(std::lround(dpi / 0.0254));
  canvas.setDotsPerMeterX(dots_per_metre);
  canvas.setDotsPerMeterY(dots_per_metre);
  canvas.fill(Qt::white);
  QPainter painter;
  if (!painter.begin(&canvas))
    throw PrinterError("Cannot draw the page");
  draw_page(painter, page, Glyphs::WholeDots);
  painter.end();

  for (int y = 0; y < mono.height; ++y) {
    const uchar* row = canvas.constScanLine(y);
    for (int x = 0; x < mono.width; ++x) {
      if (row[x] < 128)
        mono.set_black(x, y);
    }
  }
  return mono;
}

}  // namespace talvex::platform::qt
