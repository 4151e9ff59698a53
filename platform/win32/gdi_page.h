#pragma once

#include "platform/print_system.h"

struct HDC__;

namespace talvex::platform::win32 {

// The model's coordinates are dots of a 203-dpi receipt printer.
inline constexpr int kModelDpi = 203;

// Draws every text of `page` on `dc`, as every Windows renderer shows a page: the system's dialog
// face, regular, black on an opaque white cell, the top-left corner of the first cell at (x, y).
// `dpi_x` and `dpi_y` are the logical units per inch of `dc`, to which the model's dots and the
// sizes in points are scaled. Throws PrinterError with the system's text when a font cannot be
// made or a text cannot be drawn.
void draw_page(HDC__* dc, const PrintedPage& page, int dpi_x, int dpi_y);

// Logical units of `dc` from the top of the page to the bottom of the lowest text cell, measured
// with the fonts draw_page uses.
int content_height(HDC__* dc, const PrintedPage& page, int dpi_y);

}  // namespace talvex::platform::win32
