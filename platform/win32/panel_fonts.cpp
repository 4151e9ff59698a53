#include "platform/win32/panel_fonts.h"

#include <windows.h>

namespace talvex::platform::win32 {

namespace {

// The design's Tahoma 8 pt: its character height in pixels at 96 dpi.
constexpr int kDesignHeight = 11;

}  // namespace

PanelFonts::PanelFonts(int dpi)
    : full_height_(MulDiv(kDesignHeight, dpi, USER_DEFAULT_SCREEN_DPI)) {}

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

}  // namespace talvex::platform::win32
