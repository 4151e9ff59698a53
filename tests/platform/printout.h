#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/print_system.h"
#include "tests/support/run_command.h"
#include "tests/support/temporary_folder.h"

namespace talvex::testing {

// Every test program that links this library runs with a QGuiApplication, which rendering needs.

// A word of a PDF page as `pdftotext -bbox` reads it, in PDF points from the top-left corner.
struct PdfWord {
  double x_min = 0;
  double y_min = 0;
  double x_max = 0;
  double y_max = 0;
  std::string text;
};

struct PdfPage {
  double width = 0;
  double height = 0;
  std::vector<PdfWord> words;
};

struct PdfDocument {
  std::string title;
  std::vector<PdfPage> pages;
};

// Reads a PDF back with poppler's `pdftotext -bbox`.
PdfDocument read_pdf(const std::string& path);

// The word of `page` that begins `text` (its first word), if the page shows it.
std::optional<PdfWord> first_word_of(const PdfPage& page, const std::string& text);

// Checks that each text of `texts` lies on `page` with the top-left corner of its first word at
// (x, y) within two dots and with a height that fits its size, for a page printed at `dpi` whose
// printable area starts at (left_pt, top_pt) from the page's top-left corner.
void expect_texts_at(const PdfPage& page, const std::vector<platform::DrawnText>& texts, int dpi,
                     double left_pt, double top_pt = 0);

// Checks that `bytes` are what a receipt printer receives for `page` on a roll `dots` wide at 203
// dpi (testing::expect_receipt), against the image Qt's renderer draws for the page.
void expect_receipt_of(const std::string& bytes, const platform::PrintedPage& page, int dots);

// The left margin of an 80 mm roll whose 576 printable dots at 203 dpi are centred on it.
double roll_margin_pt();

}  // namespace talvex::testing
