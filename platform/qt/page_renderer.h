#pragma once

#include <QFont>
#include <QPainter>
#include <string>

#include "platform/character_height.h"
#include "platform/mono_image.h"
#include "platform/print_system.h"

namespace talvex::platform::qt {

// The canvas font: the platform's dialog face, regular, `points` points high on a device of `dpi`.
QFont canvas_font(int points, int dpi);

// Dots from the top of the page to the bottom of the lowest text cell at `dpi`.
int content_height(const PrintedPage& page, int dpi);

// How glyphs meet the device's dots: smoothed with grey edges (for PDF and the spoolers), or each
// dot black or white, as a printer without grey prints them best.
enum class Glyphs { Smooth, WholeDots };

// Draws every text of `page` with `painter`: the top-left corner of the first character cell at
// (x, y) in device dots from the top-left of the printable area, black on an opaque white cell
// background, sizes converted with the device's vertical resolution. Needs a QGuiApplication.
void draw_page(QPainter& painter, const PrintedPage& page, Glyphs glyphs = Glyphs::Smooth);

// A roll of paper for PDF output: its width and the printable width, centred on it, in dots.
struct Roll {
  int dpi = 203;
  double width_mm = 80.0;
  int printable_dots = 576;
};

// Writes `page` to `path` as a one-page PDF on `roll`, as tall as its content, titled with the
// page's title. Throws PrinterError when the file cannot be written.
void write_pdf(const PrintedPage& page, const Roll& roll, const std::string& path);

// Draws `page` the way a receipt printer without a driver prints it: with draw_page in whole dots
// on a white image `width_dots` wide at `dpi`, as tall as its content (no row when it has no
// text); a dot is black where the drawn pixel is darker than mid-grey. Needs a QGuiApplication.
MonoImage render_mono(const PrintedPage& page, int dpi, int width_dots);

}  // namespace talvex::platform::qt
