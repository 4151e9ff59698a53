#include "platform/win32/panel_fonts.h"

#include <windows.h>

#include <string>

namespace talvex::platform::win32 {

namespace {

// Character heights in pixels at 96 dpi: the design's Tahoma 8 pt, and the least a caption is
// shrunk to (6 pt), below which it would no longer be read at a glance.
constexpr int kDesignHeight = 11;
constexpr int kSmallestHeight = 8;

}  // namespace

PanelFonts::PanelFonts(int dpi)
    : full_height_(MulDiv(kDesignHeight, dpi, USER_DEFAULT_SCREEN_DPI)),
      smallest_height_(MulDiv(kSmallestHeight, dpi, USER_DEFAULT_SCREEN_DPI)) {}

PanelFonts::~PanelFonts() {
  for (const auto& [height, font] : fonts_)
    DeleteObject(font);
}

HFONT PanelFonts::at_height(int height) {
  auto [at, made] = fonts_.try_emplace(height, nullptr);
  if (made) {
    // A negative height asks for the character height, as a point size does. Windows puts the
    // nearest face in Tahoma's place where it is missing.
    at->second = CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_SWISS, L"Tahoma");
  }
  return at->second;
}

HFONT PanelFonts::fitting(std::wstring_view caption, int width) {
  const std::wstring text(caption);
  HDC dc = CreateCompatibleDC(nullptr);
  int height = full_height_;
  for (; height > smallest_height_; --height) {
    const HGDIOBJ before = SelectObject(dc, at_height(height));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, before);
    if (size.cx <= width)
      break;
  }
  DeleteDC(dc);
  return at_height(height);
}

}  // namespace talvex::platform::win32
