#pragma once

#include <cstdint>
#include <string>

#include "platform/mono_image.h"

namespace talvex::platform::escpos {

// Rows per raster band. A band is one GS v 0 command, which the printer takes whole before it
// prints it. 128 rows keep yH at zero (some firmwares misread the high byte of the height) and a
// band of an 80 mm roll at 9,216 bytes, within the receive buffer of the common 80 mm printers, so
// the head does not stop in the middle of a band waiting for its data; the few bands of a ticket
// cost eight header bytes each.
inline constexpr int kBandRows = 128;

// Dots fed past the cutter before the cut, in the printer's vertical motion units (3 mm at 203
// dpi), so the cut does not touch the lowest line.
inline constexpr std::uint8_t kCutMargin = 24;

// The bytes that print `image` on an ESC/POS receipt printer and cut it off: ESC @ (initialise the
// printer), the image as GS v 0 raster bands (normal density, a byte per eight dots across, at
// most kBandRows rows each, top to bottom), then GS V 66 kCutMargin (feed the paper to the cutter
// plus the margin and cut partially). An image without rows sends no band. Throws
// std::invalid_argument when the image's bits do not match its size or its rows are wider than a
// raster command can say (65,535 bytes).
std::string encode_receipt(const MonoImage& image);

}  // namespace talvex::platform::escpos
