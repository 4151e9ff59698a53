#pragma once

// The status panel's window read back through the Windows API, as the operator's screen shows it:
// its controls, where they stand, the fonts they draw with and the colours they are drawn in.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace talvex::platform::win32 {

// Handles the messages waiting for this thread's windows.
void run_pending_messages();

// A control of the panel by its class and text; nullptr when there is none.
HWND control(HWND panel, const wchar_t* kind, const std::string& text);
// Where a control stands in the panel's client area.
RECT place_in(HWND panel, HWND child);
// The LOGFONT of the font a control draws with.
LOGFONTW font_of(HWND control);

// The panel's client area as drawn once every paint it has pending is done, colours as 0xRRGGBB.
// What a control drew before and did not have to draw again stays as it was.
class Picture {
 public:
  explicit Picture(HWND window);
  int width() const { return width_; }
  int height() const { return height_; }
  std::uint32_t at(int x, int y) const;
  // The colour most pixels of `area` have: a control's background, whatever it writes on it.
  std::uint32_t most_of(const RECT& area) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

// For every button and group box of the design, at `dpi`: its caption fits within the control less
// its margins, in the font the control has, and that font is the panel's (11 pixels at 96 dpi) or
// the largest smaller one in which the caption fits.
void expect_captions_fit(HWND panel, int dpi);

// Each group box of the design is filled with its colour, at `dpi`, and so is a label within it.
void expect_group_colours(HWND panel, int dpi);

}  // namespace talvex::platform::win32
