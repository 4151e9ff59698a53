#pragma once

#include <map>

struct HFONT__;

namespace talvex::platform::win32 {

// The status panel's font at one DPI: Tahoma 8 pt (11 pixels at 96 dpi) scaled to the DPI. The
// object owns it; a control must be given another font before the object that made its font is
// destroyed.
class PanelFonts final {
 public:
  explicit PanelFonts(int dpi);
  ~PanelFonts();
  PanelFonts(const PanelFonts&) = delete;
  PanelFonts& operator=(const PanelFonts&) = delete;

  // The panel's font.
  HFONT__* text() { return at_height(full_height_); }

 private:
  HFONT__* at_height(int height);

  int full_height_;
  std::map<int, HFONT__*> fonts_;  // by character height in pixels
};

}  // namespace talvex::platform::win32
