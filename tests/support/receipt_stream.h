#pragma once

#include <string>
#include <vector>

#include "platform/mono_image.h"
#include "platform/print_system.h"

namespace talvex::testing {

// An ESC/POS stream read back command by command: the initialisation, the GS v 0 raster bands put
// together into one image, and the cut at the end.
struct ReceiptStream {
  bool initialised = false;       // the stream starts with ESC @
  std::vector<int> band_rows;     // the rows of each band, top to bottom
  std::vector<int> band_strides;  // the bytes across of each band
  platform::MonoImage image;      // the bands one below the other
  bool cut = false;               // the stream ends with GS V 66 n (feed to the cutter, cut)
  int cut_margin = -1;            // its n
};

// Reads `bytes` as a receipt: ESC @, any number of GS v 0 bands of normal density and one width,
// and GS V 66 n as the last command. Throws std::runtime_error naming the offset of the first byte
// that is none of these, of a band whose data the stream does not hold whole, and of a band of
// another width than the first.
ReceiptStream read_receipt(const std::string& bytes);

// Checks that `bytes` are what a receipt printer receives for `page` on a roll `dots` wide: the
// initialisation, raster bands of at most escpos::kBandRows rows and dots / 8 bytes across that
// read back to exactly `drawn` (the system's renderer's image of the page), and the feed and cut.
// And what the renderer cannot agree with itself on: black glyphs on white paper, on each text's
// line, and none just above a line that a gap parts from the line before it.
void expect_receipt(const std::string& bytes, const platform::PrintedPage& page, int dots,
                    const platform::MonoImage& drawn);

}  // namespace talvex::testing
