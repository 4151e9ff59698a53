#pragma once

#include <map>
#include <string_view>

struct HFONT__;

namespace talvex::platform::win32 {

// The status panel's fonts at one DPI: Tahoma 8 pt (11 pixels at 96 dpi) scaled to the DPI, and,
// for a caption too wide for its control in it, the largest smaller size in which it fits. The
// object owns the fonts; a control must be given other fonts before the object that made its font
// is destroyed.
class PanelFonts final {
 public:
  explicit PanelFonts(int dpi);
  ~PanelFonts();
  PanelFonts(const PanelFonts&) = delete;
  PanelFonts& operator=(const PanelFonts&) = delete;

  // The panel's font, for the labels, the port chooser and the printer list.
  HFONT__* text() { return at_height(full_height_); }
  // The panel's font if `caption` fits within `width` pixels in it, otherwise the largest smaller
  // size of the same face in which it does (the smallest this object makes, if none does).
  HFONT__* fitting(std::wstring_view caption, int width);

 private:
  HFONT__* at_height(int height);

  int full_height_;
  int smallest_height_;
  std::map<int, HFONT__*> fonts_;  // by character height in pixels
};

}  // namespace talvex::platform::win32
