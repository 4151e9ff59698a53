#include "platform/win32/gdi_page.h"

#include <windows.h>

#include <algorithm>

#include "platform/character_height.h"
#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {
namespace {

[[noreturn]] void fail(const std::string& what) {
  throw PrinterError(what + ": " + system_error_text(GetLastError()));
}

// The font of a text of `points` points, selected into a device context for the object's life: the
// system's dialog face, regular, as many logical units high as the size asks at `dpi` (the em
// height, as a negative height asks for it).
class SelectedFont {
 public:
  SelectedFont(HDC dc, int points, int dpi) : dc_(dc) {
    LOGFONTW font{};
    font.lfHeight = -character_height(points, dpi);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(font.lfFaceName, L"MS Shell Dlg 2", LF_FACESIZE);
    font_ = CreateFontIndirectW(&font);
    if (font_ == nullptr)
      fail("Cannot make a font of " + std::to_string(points) + " points");
    before_ = SelectObject(dc_, font_);
  }
  ~SelectedFont() {
    SelectObject(dc_, before_);
    DeleteObject(font_);
  }
  SelectedFont(const SelectedFont&) = delete;
  SelectedFont& operator=(const SelectedFont&) = delete;

 private:
  HDC dc_;
  HFONT font_;
  HGDIOBJ before_ = nullptr;
};

}  // namespace

void draw_page(HDC dc, const PrintedPage& page, int dpi_x, int dpi_y) {
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(0, 0, 0));
  SetTextAlign(dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
  for (const DrawnText& t : page.texts) {
    const SelectedFont font(dc, t.points, dpi_y);
    const std::wstring text = wide(t.text);
    if (!ExtTextOutW(dc, MulDiv(t.x, dpi_x, kModelDpi), MulDiv(t.y, dpi_y, kModelDpi), 0, nullptr,
                     text.c_str(), static_cast<UINT>(text.size()), nullptr))
      fail("Cannot draw on the page");
  }
}

int content_height(HDC dc, const PrintedPage& page, int dpi_y) {
  int bottom = 0;
  for (const DrawnText& t : page.texts) {
    const SelectedFont font(dc, t.points, dpi_y);
    TEXTMETRICW metrics{};
    if (!GetTextMetricsW(dc, &metrics))
      fail("Cannot measure a font");
    bottom = std::max(bottom, MulDiv(t.y, dpi_y, kModelDpi) + static_cast<int>(metrics.tmHeight));
  }
  return bottom;
}

}  // namespace talvex::platform::win32
