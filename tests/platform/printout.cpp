#include "tests/platform/printout.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <regex>
#include <sstream>

#include <QGuiApplication>

#include "platform/escpos/escpos_raster.h"
#include "platform/qt/page_renderer.h"
#include "tests/support/receipt_stream.h"

namespace talvex::testing {
namespace {

int qt_argc = 1;
char qt_program[] = "talvex-test";
char* qt_argv[] = {qt_program, nullptr};

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QGuiApplication>(qt_argc, qt_argv); }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QGuiApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const qt_environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

std::string unescape_xml(std::string s) {
  static const std::pair<const char*, const char*> kEntities[] = {{"&lt;", "<"},    {"&gt;", ">"},
                                                                  {"&quot;", "\""}, {"&apos;", "'"},
                                                                  {"&#39;", "'"},   {"&amp;", "&"}};
  for (const auto& [entity, plain] : kEntities) {
    for (std::size_t at = s.find(entity); at != std::string::npos;
         at = s.find(entity, at + std::strlen(plain)))
      s.replace(at, std::strlen(entity), plain);
  }
  return s;
}

}  // namespace

PdfDocument read_pdf(const std::string& path) {
  const std::string xhtml = run_command("pdftotext -bbox " + shell_quote(path) + " - 2>/dev/null");
  static const std::regex kTitle("<title>(.*)</title>");
  static const std::regex kPage(R"re(<page width="([0-9.]+)" height="([0-9.]+)">)re");
  static const std::regex kWord(
      R"re(<word xMin="([-0-9.]+)" yMin="([-0-9.]+)" xMax="([-0-9.]+)" yMax="([-0-9.]+)">(.*)</word>)re");
  PdfDocument doc;
  std::istringstream lines(xhtml);
  std::smatch m;
  for (std::string line; std::getline(lines, line);) {
    if (std::regex_search(line, m, kTitle)) {
      doc.title = unescape_xml(m[1]);
    } else if (std::regex_search(line, m, kPage)) {
      doc.pages.push_back({std::stod(m[1]), std::stod(m[2]), {}});
    } else if (std::regex_search(line, m, kWord) && !doc.pages.empty()) {
      doc.pages.back().words.push_back(
          {std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4]), unescape_xml(m[5])});
    }
  }
  return doc;
}

std::optional<PdfWord> first_word_of(const PdfPage& page, const std::string& text) {
  std::istringstream words(text);
  std::string first;
  words >> first;
  for (const PdfWord& w : page.words) {
    if (w.text == first)
      return w;
  }
  return std::nullopt;
}

void expect_texts_at(const PdfPage& page, const std::vector<platform::DrawnText>& texts, int dpi,
                     double left_pt, double top_pt) {
  const double dots_per_pt = dpi / 72.0;
  for (const platform::DrawnText& t : texts) {
    SCOPED_TRACE("text \"" + t.text + "\" at " + std::to_string(t.x) + "," + std::to_string(t.y));
    const std::optional<PdfWord> word = first_word_of(page, t.text);
    ASSERT_TRUE(word.has_value()) << "not on the page";
    EXPECT_NEAR((word->x_min - left_pt) * dots_per_pt, t.x, 2.0);
    EXPECT_NEAR((word->y_min - top_pt) * dots_per_pt, t.y, 2.0);
    // The line is at least the character height and, with the face's leading, not much more.
    const double height = std::round(t.points * dpi / 72.0);
    EXPECT_GE((word->y_max - word->y_min) * dots_per_pt, height - 1);
    EXPECT_LE((word->y_max - word->y_min) * dots_per_pt, height * 1.25 + 1);
  }
}

double roll_margin_pt() {
  return (80.0 / 25.4 * 72.0 - 576.0 / 203.0 * 72.0) / 2.0;
}

void expect_receipt_of(const std::string& bytes, const platform::PrintedPage& page, int dots) {
  expect_receipt(bytes, page, dots, platform::qt::render_mono(page, 203, dots));
}

}  // namespace talvex::testing
