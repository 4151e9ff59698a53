#include "platform/win32/emf_page.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/win32/gdi_page.h"
#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {
namespace {

// Makes one logical unit of `dc` one model dot, the page's left edge `side_dots` left of the
// logical origin, on a device of the resolution of `reference`.
void use_model_dots(HDC dc, HDC reference, int side_dots) {
  const int pixels = GetDeviceCaps(reference, HORZRES);
  const int millimetres = GetDeviceCaps(reference, HORZSIZE);
  const int rows = GetDeviceCaps(reference, VERTRES);
  const int row_millimetres = GetDeviceCaps(reference, VERTSIZE);
  // Device units per dot = (pixels / millimetres) / (203 / 25.4).
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, millimetres * kModelDpi * 10, row_millimetres * kModelDpi * 10, nullptr);
  SetViewportExtEx(dc, pixels * 254, rows * 254, nullptr);
  SetWindowOrgEx(dc, -side_dots, 0, nullptr);
}

// The screen's device context, which a metafile takes its resolution and fonts from.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() { ReleaseDC(nullptr, dc_); }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

}  // namespace

void write_emf(const PrintedPage& page, double width_mm, int printable_dots,
               const std::filesystem::path& path) {
  const auto fail = [&] {
    const std::u8string name = path.u8string();
    throw PrinterError("Cannot write " + std::string(name.begin(), name.end()) + ": " +
                       system_error_text(GetLastError()));
  };
  const ScreenDc screen;
  if (screen.get() == nullptr)
    fail();
  // As the PDF pages do: the sides in whole dots, so the printable area starts on a dot.
  const int width_dots = static_cast<int>(width_mm / 25.4 * kModelDpi);
  const int side_dots = std::max(0, width_dots - printable_dots) / 2;

  // The picture's frame is fixed when the metafile is made, before anything is drawn: the content
  // is measured first on a memory device context of the same resolution.
  HDC measuring = CreateCompatibleDC(screen.get());
  if (measuring == nullptr)
    fail();
  use_model_dots(measuring, screen.get(), side_dots);
  int height_dots = 1;
  try {
    height_dots = std::max(1, content_height(measuring, page, kModelDpi));
  } catch (...) {
    DeleteDC(measuring);
    throw;
  }
  DeleteDC(measuring);

  // In hundredths of a millimetre.
  const RECT frame{0, 0, static_cast<LONG>(std::lround(width_mm * 100)),
                   MulDiv(height_dots, 2540, kModelDpi)};
  const std::wstring description = L"Talvex" + std::wstring(1, L'\0') + wide(page.title) + L'\0';
  HDC dc = CreateEnhMetaFileW(screen.get(), path.wstring().c_str(), &frame, description.c_str());
  if (dc == nullptr)
    fail();
  try {
    use_model_dots(dc, screen.get(), side_dots);
    draw_page(dc, page, kModelDpi, kModelDpi);
  } catch (...) {
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
    throw;
  }
  HENHMETAFILE written = CloseEnhMetaFile(dc);
  if (written == nullptr)
    fail();
  DeleteEnhMetaFile(written);
}

}  // namespace talvex::platform::win32
