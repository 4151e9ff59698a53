#include "platform/win32/program_icon.h"

#include <windows.h>

#include <gdiplus.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
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

// The picture drawn on a bitmap of its own, `size` pixels square.
class DrawnIcon {
 public:
  explicit DrawnIcon(int size) : bitmap_(size, size, PixelFormat32bppARGB) {
    gp::Graphics graphics(&bitmap_);
    draw_icon(graphics, size);
  }
  gp::Bitmap& bitmap() { return bitmap_; }

 private:
  gp::Bitmap bitmap_;
};

void put16(std::vector<unsigned char>& out, unsigned value) {
  out.push_back(static_cast<unsigned char>(value));
  out.push_back(static_cast<unsigned char>(value >> 8));
}

void put32(std::vector<unsigned char>& out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

// An icon image as Windows stores it in a bitmap: the header, the pixels bottom-up in 32-bit BGRA
// with their straight alpha, then the one-bit mask (set where the picture is transparent) for
// whatever still reads it.
std::vector<unsigned char> bitmap_image(gp::Bitmap& bitmap, int size) {
  gp::BitmapData pixels{};
  gp::Rect all(0, 0, size, size);
  std::vector<unsigned char> out;
  if (bitmap.LockBits(&all, gp::ImageLockModeRead, PixelFormat32bppARGB, &pixels) != gp::Ok)
    return out;
  const auto side = static_cast<std::uint32_t>(size);
  const std::uint32_t mask_row = (side + 31) / 32 * 4;
  put32(out, 40);        // biSize
  put32(out, side);      // biWidth
  put32(out, side * 2);  // biHeight: the pixels and the mask
  put16(out, 1);         // biPlanes
  put16(out, 32);        // biBitCount
  put32(out, BI_RGB);    // biCompression
  put32(out, side * side * 4 + mask_row * side);
  for (int i = 0; i < 4; ++i)
    put32(out, 0);  // resolution and palette: none
  std::vector<unsigned char> mask;
  for (int y = size - 1; y >= 0; --y) {
    const auto* row = static_cast<const unsigned char*>(pixels.Scan0) + y * pixels.Stride;
    out.insert(out.end(), row, row + side * 4);
    std::vector<unsigned char> bits(mask_row, 0);
    for (std::uint32_t x = 0; x < side; ++x) {
      if (row[x * 4 + 3] == 0)
        bits[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
    }
    mask.insert(mask.end(), bits.begin(), bits.end());
  }
  bitmap.UnlockBits(&pixels);
  out.insert(out.end(), mask.begin(), mask.end());
  return out;
}

// The image as a PNG file, through GDI+'s encoder.
std::vector<unsigned char> png_image(gp::Bitmap& bitmap) {
  std::vector<unsigned char> out;
  UINT count = 0;
  UINT bytes = 0;
  if (gp::GetImageEncodersSize(&count, &bytes) != gp::Ok || bytes == 0)
    return out;
  std::vector<unsigned char> storage(bytes);
  auto* encoders = reinterpret_cast<gp::ImageCodecInfo*>(storage.data());
  if (gp::GetImageEncoders(count, bytes, encoders) != gp::Ok)
    return out;
  const gp::ImageCodecInfo* png = nullptr;
  for (UINT i = 0; i < count; ++i) {
    if (std::wcscmp(encoders[i].MimeType, L"image/png") == 0)
      png = &encoders[i];
  }
  IStream* stream = nullptr;
  if (png == nullptr || CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK)
    return out;
  ULARGE_INTEGER end{};
  if (bitmap.Save(stream, &png->Clsid, nullptr) == gp::Ok &&
      stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_END, &end) == S_OK &&
      stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr) == S_OK) {
    out.resize(static_cast<std::size_t>(end.QuadPart));
    ULONG read = 0;
    if (stream->Read(out.data(), static_cast<ULONG>(out.size()), &read) != S_OK ||
        read != out.size())
      out.clear();
  }
  stream->Release();
  return out;
}

}  // namespace

HICON draw_program_icon(int size) {
  const GdiplusSession session;
  if (!session.started() || size <= 0)
    return nullptr;
  HICON icon = nullptr;
  DrawnIcon drawn(size);
  if (drawn.bitmap().GetHICON(&icon) != gp::Ok)
    return nullptr;
  return icon;
}

HICON program_icon(int size) {
  // The icon the program file carries, drawn at build time in every size Windows asks for; a
  // program without it (a test) draws the picture itself.
  if (HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIconId),
                               IMAGE_ICON, size, size, LR_DEFAULTCOLOR))
    return static_cast<HICON>(icon);
  return draw_program_icon(size);
}

std::vector<unsigned char> program_icon_file(const std::vector<int>& sizes) {
  const GdiplusSession session;
  if (!session.started())
    return {};
  std::vector<std::vector<unsigned char>> images;
  for (const int size : sizes) {
    if (size <= 0 || size > 256)
      return {};
    DrawnIcon drawn(size);
    images.push_back(size == 256 ? png_image(drawn.bitmap()) : bitmap_image(drawn.bitmap(), size));
    if (images.back().empty())
      return {};
  }
  std::vector<unsigned char> file;
  put16(file, 0);  // reserved
  put16(file, 1);  // an icon
  put16(file, static_cast<unsigned>(images.size()));
  auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const auto side = static_cast<unsigned char>(sizes[i] == 256 ? 0 : sizes[i]);
    file.push_back(side);  // width and height; 0 means 256
    file.push_back(side);
    file.push_back(0);  // no palette
    file.push_back(0);
    put16(file, 1);   // planes
    put16(file, 32);  // bits per pixel
    put32(file, static_cast<std::uint32_t>(images[i].size()));
    put32(file, offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const auto& image : images)
    file.insert(file.end(), image.begin(), image.end());
  return file;
}

}  // namespace talvex::platform::win32
