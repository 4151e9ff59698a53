#pragma once

#include <string>
#include <vector>

#include "platform/mono_image.h"

namespace talvex::testing {

// A receipt's image read by an OCR engine that has nothing to do with our renderer: tesseract, in
// Russian, taking the image as one block of lines. The image is enlarged three times dot by dot
// first (203 dpi glyphs are too small for it) and written as a PBM file into `folder`. Returns the
// lines it reads, each folded by ocr_folded(). Throws when tesseract cannot be run.
std::vector<std::string> ocr_lines(const platform::MonoImage& image, const std::string& folder);

// `text` with the confusions OCR is known for folded into one form, and nothing else: letter case,
// Latin and Cyrillic letters that look alike, the digits zero and three and the letters O and З,
// ё and е, and blanks
// (which OCR adds and drops between the glyphs of a tight line). Digits and all other letters stay
// as they are, so a wrong name or quantity still reads wrong.
std::string ocr_folded(const std::string& text);

// Whether one of the OCR lines is `text`, whole, once both are folded: "Заказ № 10" is not read
// in "Заказ № 100", nor "Борщ 2" in "Борщ 20".
bool ocr_reads_line(const std::vector<std::string>& lines, const std::string& text);

}  // namespace talvex::testing
