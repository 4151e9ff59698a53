#pragma once

#include <QFont>
#include <QPainter>
#include <string>

#include "platform/print_system.h"

namespace talvex::platform::qt {

// Character height in dots of a size of `points` on a device of `dpi` dots per inch: points * dpi
// / 72 with halves rounded away from zero, never below one dot.
int character_height(int points, int dpi);

// The canvas font: the platform's dialog face, regular, `points` points high on a device of `dpi`.
QFont canvas_font(int points, int dpi);

// Dots from the top of the page to the bottom of the lowest text cell at `dpi`.
int content_height(const PrintedPage& page, int dpi);

// Draws every text of `page` with `painter`: the top-left corner of the first character cell at
// (x, y) in device dots from the top-left of the printable area, black on an opaque white cell
// background, sizes converted with the device's vertical resolution. Needs a QGuiApplication.
void draw_page(QPainter& painter, const PrintedPage& page);

// A roll of paper for PDF output: its width and the printable width, centred on it, in dots.
struct Roll {
  int dpi = 203;
  double width_mm = 80.0;
  int printable_dots = 576;
};

// Writes `page` to `path` as a one-page PDF on `roll`, as tall as its content, titled with the
// page's title. Throws PrinterError when the file cannot be written.
void write_pdf(const PrintedPage& page, const Roll& roll, const std::string& path);

}  // namespace talvex::platform::qt
