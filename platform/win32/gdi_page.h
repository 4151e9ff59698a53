#pragma once

#include "platform/mono_image.h"
#include "platform/print_system.h"

struct HDC__;

namespace talvex::platform::win32 {

// The model's coordinates are dots of a 203-dpi receipt printer.
inline constexpr int kModelDpi = 203;

// How glyphs meet the device's dots: as the device's driver draws them, or each dot black or
// white, as a printer without grey prints them best.
enum class Glyphs { AsDriverDraws, WholeDots };

// Draws every text of `page` on `dc`, as every Windows renderer shows a page: the system's dialog
// face, regular, black on an opaque white cell, the top-left corner of the first cell at the
// model's (x, y). `dpi_x` and `dpi_y` are the logical units per inch of `dc`, to which the model's
// dots and the sizes in points are scaled. Throws PrinterError with the system's text when a font
// cannot be made or a text cannot be drawn.
void draw_page(HDC__* dc, const PrintedPage& page, int dpi_x, int dpi_y,
               Glyphs glyphs = Glyphs::AsDriverDraws);

// Logical units of `dc` from the top of the page to the bottom of the lowest text cell, measured
// with the fonts draw_page uses.
int content_height(HDC__* dc, const PrintedPage& page, int dpi_y);

// Draws `page` the way a receipt printer without a driver prints it: with draw_page in whole dots
// on a white 1-bit image `width_dots` wide at `dpi`, as tall as its content (no row when it has no
// text). Throws PrinterError when GDI cannot make the image.
MonoImage render_mono(const PrintedPage& page, int dpi, int width_dots);

}  // namespace talvex::platform::win32
