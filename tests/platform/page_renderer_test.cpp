#include "platform/qt/page_renderer.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/platform/printout.h"

namespace talvex::platform::qt {
namespace {

using testing::PdfDocument;
using testing::TemporaryFolder;

struct HeightCase {
  int points;
  int dpi;
  int dots;
};

class CharacterHeightTest : public ::testing::TestWithParam<HeightCase> {};

TEST_P(CharacterHeightTest, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(character_height(GetParam().points, GetParam().dpi), GetParam().dots);
}

INSTANTIATE_TEST_SUITE_P(Sizes, CharacterHeightTest,
                         ::testing::Values(HeightCase{9, 203, 25}, HeightCase{8, 203, 23},
                                           HeightCase{9, 300, 38},  // 37.5
                                           HeightCase{8, 300, 33}, HeightCase{36, 203, 102},
                                           HeightCase{16, 203, 45}, HeightCase{7, 600, 58}));

// A grey-scale picture of a PDF's first page rendered by poppler at `dpi`.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> pixels;
  bool dark(int x, int y) const {
    return pixels.at(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                     static_cast<std::size_t>(x)) < 128;
  }
};

Picture rasterise(const std::string& pdf, int dpi, const std::string& stem) {
  testing::run_command("pdftoppm -gray -r " + std::to_string(dpi) + " -singlefile " +
                       testing::shell_quote(pdf) + " " + testing::shell_quote(stem));
  std::ifstream in(stem + ".pgm", std::ios::binary);
  std::string magic;
  int maxval = 0;
  Picture p;
  in >> magic >> p.width >> p.height >> maxval;
  in.get();
  p.pixels.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  EXPECT_EQ(magic, "P5");
  EXPECT_EQ(p.pixels.size(),
            static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height));
  return p;
}

bool any_dark(const Picture& p, int x0, int x1, int y0, int y1) {
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      if (p.dark(x, y))
        return true;
    }
  }
  return false;
}

// A later text blanks what its cells cover of an earlier one: here four spaces drawn over a row of
// letters leave white where they stand and the rest of the letters untouched.
TEST(PageRendererTest, TextCellsArePaintedOpaqueWhite) {
  TemporaryFolder folder;
  const std::string pdf = folder.path() + "/page.pdf";
  const PrintedPage page{"overlap", {{0, 0, 16, "MMMMMMMMMM"}, {0, 0, 16, "    "}}};
  write_pdf(page, Roll{}, pdf);

  const Picture picture = rasterise(pdf, 203, folder.path() + "/page");
  const int left = static_cast<int>(std::lround(testing::roll_margin_pt() * 203 / 72));
  const int height = character_height(16, 203);
  // Four spaces are about 57 dots wide and ten letters about 388 at this size.
  EXPECT_FALSE(any_dark(picture, left + 2, left + 50, 0, height));
  EXPECT_TRUE(any_dark(picture, left + 70, left + 380, 0, height));
}

TEST(PageRendererTest, ThePageIsTheRollWidthAndAsTallAsItsContent) {
  TemporaryFolder folder;
  const std::string pdf = folder.path() + "/page.pdf";
  const PrintedPage page{"Рулон", {{0, 0, 10, "верх"}, {100, 900, 8, "низ"}}};
  write_pdf(page, Roll{}, pdf);

  const PdfDocument doc = testing::read_pdf(pdf);
  EXPECT_EQ(doc.title, "Рулон");
  ASSERT_EQ(doc.pages.size(), 1u);
  EXPECT_NEAR(doc.pages[0].width, 80 / 25.4 * 72, 1.0);
  // The last line is 23 dots high and ends about 27 dots below its top with the face's leading.
  const double bottom_dots = doc.pages[0].height * 203 / 72;
  EXPECT_GE(bottom_dots, 900 + 23);
  EXPECT_LE(bottom_dots, 900 + 23 * 1.25 + 3);
  testing::expect_texts_at(doc.pages[0], page.texts, 203, testing::roll_margin_pt());
}

// A ticket's texts in Cyrillic and Latin at the sizes the documents use.
const PrintedPage kTicket{"Заказ",
                          {{40, 0, 16, "Кафе «Алтын»"},
                           {0, 60, 12, "Заказ № 12"},
                           {0, 110, 9, "Борщ украинский"},
                           {300, 110, 9, "2 x 1500"},
                           {0, 150, 8, "Съешь же ещё этих мягких французских булок"},
                           {0, 200, 7, "Программа: TALVEX"}}};

// The receipt printers' image is the page as draw_page paints it on a white canvas of the roll's
// width in dots, glyphs in whole dots: the same picture painted here pixel for pixel, no dot
// outside the texts' cells and some in each.
TEST(PageRendererTest, TheMonoImageIsThePaintedPageInWholeDots) {
  const MonoImage mono = render_mono(kTicket, 203, 576);
  ASSERT_EQ(mono.width, 576);
  ASSERT_EQ(mono.height, content_height(kTicket, 203));

  QImage canvas(576, mono.height, QImage::Format_RGB32);
  canvas.setDotsPerMeterX(7992);  // 203 dpi
  canvas.setDotsPerMeterY(7992);
  canvas.fill(Qt::white);
  QPainter painter(&canvas);
  draw_page(painter, kTicket, Glyphs::WholeDots);
  painter.end();

  int greys = 0;
  int differences = 0;
  std::vector<int> dots_in_cell(kTicket.texts.size(), 0);
  int outside = 0;
  for (int y = 0; y < mono.height; ++y) {
    for (int x = 0; x < mono.width; ++x) {
      const int grey = qGray(canvas.pixel(x, y));
      greys += grey != 0 && grey != 255;
      differences += mono.black(x, y) != (grey < 128);
      if (!mono.black(x, y))
        continue;
      bool inside = false;
      for (std::size_t i = 0; i < kTicket.texts.size(); ++i) {
        const DrawnText& t = kTicket.texts[i];
        const QFontMetrics metrics(canvas_font(t.points, 203));
        const int right = t.x + metrics.horizontalAdvance(QString::fromStdString(t.text));
        if (x >= t.x - 1 && x <= right + 1 && y >= t.y && y < t.y + metrics.height()) {
          ++dots_in_cell[i];
          inside = true;
        }
      }
      outside += !inside;
    }
  }
  EXPECT_EQ(greys, 0) << "the glyphs are smoothed into grey";
  EXPECT_EQ(differences, 0);
  EXPECT_EQ(outside, 0);
  for (std::size_t i = 0; i < kTicket.texts.size(); ++i)
    EXPECT_GT(dots_in_cell[i], 20) << kTicket.texts[i].text;
}

TEST(PageRendererTest, TheMonoImageOfAnEmptyPageHasNoRows) {
  const MonoImage mono = render_mono(PrintedPage{"пусто", {}}, 203, 384);
  EXPECT_EQ(mono.width, 384);
  EXPECT_EQ(mono.height, 0);
  EXPECT_TRUE(mono.bits.empty());
}

}  // namespace
}  // namespace talvex::platform::qt
