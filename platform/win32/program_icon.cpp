#include "platform/win32/program_icon.h"

#include <windows.h>

#include <gdiplus.h>

#include <algorithm>
#include <vector>

namespace talvex::platform::win32 {
namespace {

namespace gp = Gdiplus;

// GDI+ for the object's life.
class GdiplusSession {
 public:
  GdiplusSession() {
    const gp::GdiplusStartupInput input;
    started_ = gp::GdiplusStartup(&token_, &input, nullptr) == gp::Ok;
  }
  ~GdiplusSession() {
    if (started_)
      gp::GdiplusShutdown(token_);
  }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;
  bool started() const { return started_; }

 private:
  ULONG_PTR token_ = 0;
  bool started_ = false;
};

// A rectangle with rounded corners of `radius`, which GDI+ has no shape for.
void add_rounded_rectangle(gp::GraphicsPath& path, gp::RectF r, gp::REAL radius) {
  const gp::REAL d = radius * 2;
  path.AddArc(r.X, r.Y, d, d, 180, 90);
  path.AddArc(r.X + r.Width - d, r.Y, d, d, 270, 90);
  path.AddArc(r.X + r.Width - d, r.Y + r.Height - d, d, d, 0, 90);
  path.AddArc(r.X, r.Y + r.Height - d, d, d, 90, 90);
  path.CloseFigure();
}

// The drawing of platform/qt/notification_icon.cpp, shape for shape: outlines stay at least one
// pixel wide so the small sizes remain legible.
void draw_icon(gp::Graphics& g, int size) {
  g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
  // Pixel (0, 0) covers the square from (0, 0) to (1, 1), as it does for Qt.
  g.SetPixelOffsetMode(gp::PixelOffsetModeHalf);
  g.Clear(gp::Color(0, 0, 0, 0));
  const gp::REAL unit = static_cast<gp::REAL>(size) / 64;
  g.ScaleTransform(unit, unit);
  const gp::REAL outline = std::max(1 / unit, gp::REAL{2});
  const gp::Color ink(0x26, 0x32, 0x38);
  const gp::Color body(0x45, 0x5A, 0x64);
  const gp::Color paper(0xFA, 0xFA, 0xFA);
  const gp::Color light(0x66, 0xBB, 0x6A);
  gp::Pen ink_pen(ink, outline);
  gp::SolidBrush paper_brush(paper);
  gp::SolidBrush body_brush(body);
  gp::SolidBrush ink_brush(ink);
  gp::SolidBrush light_brush(light);

  // The paper roll behind the printer.
  g.FillRectangle(&paper_brush, gp::RectF(16, 3, 32, 22));
  g.DrawRectangle(&ink_pen, gp::RectF(16, 3, 32, 22));

  // The printer body with its paper slot.
  gp::GraphicsPath printer;
  add_rounded_rectangle(printer, gp::RectF(3, 18, 58, 26), 6);
  g.FillPath(&body_brush, &printer);
  g.DrawPath(&ink_pen, &printer);
  g.FillRectangle(&ink_brush, gp::RectF(12, 36, 40, 4));
  g.DrawRectangle(&ink_pen, gp::RectF(12, 36, 40, 4));
  g.FillEllipse(&light_brush, gp::RectF(49, 23, 6, 6));

  // The receipt with a torn edge and three lines of print.
  std::vector<gp::PointF> edge{{15, 38}, {49, 38}, {49, 61}};
  for (int i = 0; i < 6; ++i) {
    const gp::REAL right = 49 - static_cast<gp::REAL>(i) * (34.0F / 6);
    edge.emplace_back(right - 34.0F / 12, 57);
    edge.emplace_back(right - 34.0F / 6, 61);
  }
  g.FillPolygon(&paper_brush, edge.data(), static_cast<INT>(edge.size()));
  g.DrawPolygon(&ink_pen, edge.data(), static_cast<INT>(edge.size()));
  gp::Pen print_pen(ink, std::max(1 / unit, gp::REAL{3}));
  print_pen.SetStartCap(gp::LineCapFlat);
  print_pen.SetEndCap(gp::LineCapFlat);
  for (const gp::REAL y : {44.0F, 49.0F, 54.0F})
    g.DrawLine(&print_pen, gp::PointF(20, y), gp::PointF(y == 54.0F ? 34 : 44, y));
}

}  // namespace

HICON draw_program_icon(int size) {
  const GdiplusSession session;
  if (!session.started() || size <= 0)
    return nullptr;
  HICON icon = nullptr;
  {
    gp::Bitmap bitmap(size, size, PixelFormat32bppARGB);
    {
      gp::Graphics graphics(&bitmap);
      draw_icon(graphics, size);
    }
    if (bitmap.GetHICON(&icon) != gp::Ok)
      return nullptr;
  }
  return icon;
}

}  // namespace talvex::platform::win32
