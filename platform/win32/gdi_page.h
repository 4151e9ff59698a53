#pragma once

#include <windows.h>

#include "platform/mono_image.h"
#include "platform/print_system.h"

namespace talvex::platform::win32 {

// How glyphs meet the device's dots: as the device's driver draws them, or each dot black or
// white, as a printer without grey prints them best.
enum class Glyphs { AsDriverDraws, WholeDots };

// Draws every text of `page` on `dc`, a device of `dpi_x` by `dpi_y` dots per inch: the top-left
// corner of the first character cell at the model's 203-dpi (x, y) scaled to the device, black on
// an opaque white cell background, in the system's dialog face at the text's size converted with
// the vertical resolution. Throws PrinterError with the system's text when a font cannot be made or
// a text cannot be drawn.
void draw_page(HDC dc, const PrintedPage& page, int dpi_x, int dpi_y,
               Glyphs glyphs = Glyphs::AsDriverDraws);

// Draws `page` the way a receipt printer without a driver prints it: with draw_page in whole dots
// on a white 1-bit image `width_dots` wide at `dpi`, as tall as its content (the lowest text cell's
// bottom; no row when it has no text). Throws PrinterError when GDI cannot make the image.
MonoImage render_mono(const PrintedPage& page, int dpi, int width_dots);

}  // namespace talvex::platform::win32
