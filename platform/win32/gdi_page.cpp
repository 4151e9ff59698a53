#include "platform/win32/gdi_page.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/character_height.h"
#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {
namespace {

[[noreturn]] void fail(const std::string& what) {
  throw PrinterError(what + ": " + system_error_text(GetLastError()));
}

// The font of every text: the system's dialog face, regular, `height` dots high (the em height, as
// a negative height asks for it).
HFONT make_font(int height, Glyphs glyphs) {
  LOGFONTW font{};
  font.lfHeight = -height;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = glyphs == Glyphs::WholeDots ? NONANTIALIASED_QUALITY : DEFAULT_QUALITY;
  lstrcpynW(font.lfFaceName, L"MS Shell Dlg 2", LF_FACESIZE);
  HFONT made = CreateFontIndirectW(&font);
  if (made == nullptr)
    fail("Cannot make a font " + std::to_string(height) + " dots high");
  return made;
}

// A font selected into a device context for the object's life.
class SelectedFont {
 public:
  SelectedFont(HDC dc, int height, Glyphs glyphs)
      : dc_(dc), font_(make_font(height, glyphs)), before_(SelectObject(dc, font_)) {}
  ~SelectedFont() {
    SelectObject(dc_, before_);
    DeleteObject(font_);
  }
  SelectedFont(const SelectedFont&) = delete;
  SelectedFont& operator=(const SelectedFont&) = delete;

 private:
  HDC dc_;
  HFONT font_;
  HGDIOBJ before_;
};

// A memory device context for the object's life.
class MemoryDc {
 public:
  MemoryDc() : dc_(CreateCompatibleDC(nullptr)) {
    if (dc_ == nullptr)
      fail("Cannot draw the page");
  }
  ~MemoryDc() { DeleteDC(dc_); }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// A 1-bit top-down DIB whose colour 0 is white and colour 1 black, so that its set bits are the
// black dots as a MonoImage has them.
struct MonoBitmapInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colours[2];
};

}  // namespace

void draw_page(HDC dc, const PrintedPage& page, int dpi_x, int dpi_y, Glyphs glyphs) {
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(0, 0, 0));
  SetTextAlign(dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
  for (const DrawnText& t : page.texts) {
    const SelectedFont font(dc, character_height(t.points, dpi_y), glyphs);
    const std::wstring text = wide(t.text);
    if (!ExtTextOutW(dc, MulDiv(t.x, dpi_x, kModelDpi), MulDiv(t.y, dpi_y, kModelDpi), 0, nullptr,
                     text.c_str(), static_cast<UINT>(text.size()), nullptr))
      fail("Cannot draw on the page");
  }
}

int content_height(HDC dc, const PrintedPage& page, int dpi_y) {
  int bottom = 0;
  for (const DrawnText& t : page.texts) {
    const SelectedFont font(dc, character_height(t.points, dpi_y), Glyphs::WholeDots);
    TEXTMETRICW metrics{};
    if (!GetTextMetricsW(dc, &metrics))
      fail("Cannot measure the text");
    bottom = std::max(bottom, MulDiv(t.y, dpi_y, kModelDpi) + static_cast<int>(metrics.tmHeight));
  }
  return bottom;
}

MonoImage render_mono(const PrintedPage& page, int dpi, int width_dots) {
  const MemoryDc dc;
  MonoImage mono(std::max(0, width_dots),
                 page.texts.empty() ? 0 : content_height(dc.get(), page, dpi));
  if (mono.width == 0 || mono.height == 0)
    return mono;

  MonoBitmapInfo info{};
  info.header.biSize = sizeof info.header;
  info.header.biWidth = mono.width;
  info.header.biHeight = -mono.height;  // top-down: the first row in memory is the top one
  info.header.biPlanes = 1;
  info.header.biBitCount = 1;
  info.header.biCompression = BI_RGB;
  info.colours[0] = RGBQUAD{255, 255, 255, 0};
  info.colours[1] = RGBQUAD{0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc.get(), reinterpret_cast<const BITMAPINFO*>(&info),
                                    DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr)
    fail("Cannot make an image of the page");
  HGDIOBJ before = SelectObject(dc.get(), bitmap);
  // A DIB's rows are padded to whole 32-bit words.
  const std::size_t dib_stride = static_cast<std::size_t>((mono.width + 31) / 32) * 4;
  std::memset(bits, 0, dib_stride * static_cast<std::size_t>(mono.height));
  try {
    draw_page(dc.get(), page, dpi, dpi, Glyphs::WholeDots);
  } catch (...) {
    SelectObject(dc.get(), before);
    DeleteObject(bitmap);
    throw;
  }
  GdiFlush();

  const std::size_t stride = static_cast<std::size_t>(mono.stride());
  // The dots past the width in a row's last byte stay white.
  const auto last_byte_mask = static_cast<std::uint8_t>(0xFF << ((8 - mono.width % 8) % 8));
  for (std::size_t y = 0; y < static_cast<std::size_t>(mono.height); ++y) {
    const auto* row = static_cast<const std::uint8_t*>(bits) + y * dib_stride;
    std::uint8_t* out = mono.bits.data() + y * stride;
    std::memcpy(out, row, stride);
    out[stride - 1] &= last_byte_mask;
  }
  SelectObject(dc.get(), before);
  DeleteObject(bitmap);
  return mono;
}

}  // namespace talvex::platform::win32
