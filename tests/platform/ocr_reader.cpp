#include "tests/platform/ocr_reader.h"

#include <QString>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/run_command.h"

namespace talvex::testing {
namespace {

constexpr int kScale = 3;

// The image as a binary PBM (P4): its rows packed as MonoImage packs them, a set bit black, each
// dot made kScale dots square.
void write_pbm(const platform::MonoImage& image, const std::filesystem::path& file) {
  platform::MonoImage out(image.width * kScale, image.height * kScale);
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      if (image.black(x / kScale, y / kScale))
        out.set_black(x, y);
    }
  }
  std::ofstream pbm(file, std::ios::binary);
  pbm << "P4\n" << out.width << ' ' << out.height << '\n';
  pbm.write(reinterpret_cast<const char*>(out.bits.data()),
            static_cast<std::streamsize>(out.bits.size()));
}

// Latin letters (lower case) that OCR gives for the Cyrillic ones they look like, and the digits
// it takes for letters: zero for O, three for З.
constexpr struct {
  char16_t from;
  char16_t to;
} kLookAlikes[] = {{u'a', u'а'}, {u'b', u'в'}, {u'c', u'с'}, {u'e', u'е'},
                   {u'h', u'н'}, {u'k', u'к'}, {u'm', u'м'}, {u'n', u'п'},
                   {u'o', u'о'}, {u'p', u'р'}, {u't', u'т'}, {u'x', u'х'},
                   {u'y', u'у'}, {u'0', u'о'}, {u'3', u'з'}, {u'ё', u'е'}};

}  // namespace

std::string ocr_folded(const std::string& text) {
  QString folded;
  for (QChar c : QString::fromStdString(text).toLower()) {
    if (c.isSpace())
      continue;
    for (const auto& pair : kLookAlikes) {
      if (c.unicode() == pair.from)
        c = QChar(pair.to);
    }
    folded += c;
  }
  return folded.toStdString();
}

std::vector<std::string> ocr_lines(const platform::MonoImage& image, const std::string& folder) {
  const std::filesystem::path pbm = std::filesystem::path(folder) / "receipt.pbm";
  write_pbm(image, pbm);
  std::istringstream text(
      run_command("tesseract " + shell_quote(pbm.string()) + " stdout -l rus --psm 6 2>/dev/null"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);) {
    const std::string folded = ocr_folded(line);
    if (!folded.empty())
      lines.push_back(folded);
  }
  return lines;
}

bool ocr_reads_line(const std::vector<std::string>& lines, const std::string& text) {
  const std::string wanted = ocr_folded(text);
  return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

}  // namespace talvex::testing
