// The page files of the Windows directory printers: enhanced metafiles read back through GDI, as
// a program that shows or prints them would.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/win32/wide_text.h"
#include "tests/platform/directory_printers_fixture.h"

namespace talvex::platform {
namespace {

namespace fs = std::filesystem;

// A text as the metafile holds it: its font's height in logical units, where it is drawn and the
// characters.
struct MetafileText {
  int height = 0;
  int x = 0;
  int y = 0;
  std::string text;

  friend bool operator==(const MetafileText&, const MetafileText&) = default;
};

void PrintTo(const MetafileText& t, std::ostream* out) {
  *out << "{" << t.height << ", " << t.x << ", " << t.y << ", \"" << t.text << "\"}";
}

struct Metafile {
  ENHMETAHEADER header{};
  std::wstring description;
  std::vector<MetafileText> texts;  // each drawn text with characters, in drawing order
};

// Reads `path`'s records: each text with the height of the font last created before it (every
// text has a font of its own).
Metafile read_metafile(const fs::path& path) {
  Metafile out;
  HENHMETAFILE emf = GetEnhMetaFileW(path.c_str());
  if (emf == nullptr)
    throw std::runtime_error("cannot open " + path.string());
  GetEnhMetaFileHeader(emf, sizeof out.header, &out.header);
  out.description.resize(GetEnhMetaFileDescriptionW(emf, 0, nullptr));
  GetEnhMetaFileDescriptionW(emf, static_cast<UINT>(out.description.size()),
                             out.description.data());
  struct State {
    Metafile* out;
    int height;
  } state{&out, 0};
  const auto each_record = [](HDC, HANDLETABLE*, const ENHMETARECORD* record, int,
                              LPARAM data) -> int {
    auto* s = reinterpret_cast<State*>(data);
    if (record->iType == EMR_EXTCREATEFONTINDIRECTW) {
      s->height =
          reinterpret_cast<const EMREXTCREATEFONTINDIRECTW*>(record)->elfw.elfLogFont.lfHeight;
    } else if (record->iType == EMR_EXTTEXTOUTW) {
      const auto* text = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
      const auto* characters = reinterpret_cast<const wchar_t*>(
          reinterpret_cast<const BYTE*>(record) + text->emrtext.offString);
      if (text->emrtext.nChars > 0)
        s->out->texts.push_back({s->height, static_cast<int>(text->emrtext.ptlReference.x),
                                 static_cast<int>(text->emrtext.ptlReference.y),
                                 win32::utf8(std::wstring_view(characters, text->emrtext.nChars))});
    }
    return 1;
  };
  EnumEnhMetaFile(nullptr, emf, each_record, &state, nullptr);
  DeleteEnhMetaFile(emf);
  return out;
}

// The page as a screen shows it at 203 dpi: one pixel a dot, across the whole 80 mm roll (640
// dots) and `height` dots down, black where a pixel is darker than mid-grey.
std::vector<std::vector<bool>> play_at_203_dpi(const fs::path& path, int height) {
  constexpr int kWidth = 640;
  HENHMETAFILE emf = GetEnhMetaFileW(path.c_str());
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ before = SelectObject(dc, bitmap);
  const RECT all{0, 0, kWidth, height};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  PlayEnhMetaFile(dc, emf, &all);
  GdiFlush();
  std::vector<std::vector<bool>> black(static_cast<std::size_t>(height), std::vector<bool>(kWidth));
  const auto* pixels = static_cast<const BYTE*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < kWidth; ++x)
      black[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] =
          pixels[(y * kWidth + x) * 4 + 1] < 128;
  }
  SelectObject(dc, before);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  DeleteEnhMetaFile(emf);
  return black;
}

// A printer with a name that is not ASCII, as venues name them, beside the fixture's.
TEST_F(DirectoryPrintersTest, ThePageIsAMetafileOfTheTextsAtTheirPlaces) {
  fs::create_directory(root() / fs::path(u8"Кухня"));
  const std::vector<DrawnText> texts = {{30, 0, 16, "Ресторан «Талвекс»"},
                                        {0, 50, 10, "Зал 2, стол 5"},
                                        {0, 80, 10, ""},
                                        {240, 175, 9, "Суп 🍲"},
                                        {0, 410, 7, "Тел: +7 (700) 555 01 01"}};
  // Each text's character height in 203-dpi dots: a point is 1/72 inch, so 16 points are
  // 16 * 203 / 72 = 45.1 dots, 10 points 28.2, 9 points 25.4 and 7 points 19.7, each to the
  // nearest dot. GDI takes a negative height as the characters' own, without the leading.
  const std::vector<MetafileText> expected = {{-45, 30, 0, "Ресторан «Талвекс»"},
                                              {-28, 0, 50, "Зал 2, стол 5"},
                                              {-25, 240, 175, "Суп 🍲"},
                                              {-20, 0, 410, "Тел: +7 (700) 555 01 01"}};
  ASSERT_EQ(system_.installed_printers()[3], "Кухня");
  print_page(3, "Предчек 17", texts);
  const fs::path page = root() / fs::path(u8"Кухня") / page_file("000001");
  ASSERT_TRUE(fs::exists(page));
  EXPECT_TRUE(fs::exists(root() / fs::path(u8"Кухня") / "000001.json"));

  const Metafile emf = read_metafile(page);
  EXPECT_EQ(emf.texts, expected);
  EXPECT_EQ(emf.description, std::wstring(L"Talvex\0Предчек 17\0\0", 19));
  // 80 mm wide, in hundredths of a millimetre; as tall as the lowest text's cell: 7 points is 20
  // dots, the cell a little more.
  EXPECT_EQ(emf.header.rclFrame.left, 0);
  EXPECT_EQ(emf.header.rclFrame.right, 8000);
  const int height_dots = static_cast<int>(emf.header.rclFrame.bottom * 203L / 2540);
  EXPECT_GE(height_dots, 410 + 20);
  EXPECT_LE(height_dots, 410 + 30);

  // Shown at 203 dpi, the first text's ink begins at its place within the printable area, which
  // starts 31 dots in from the roll's edge, and nothing lies to its left or above it.
  const std::vector<std::vector<bool>> black = play_at_203_dpi(page, height_dots);
  int left = 640;
  int top = height_dots;
  for (int y = 0; y < 45; ++y) {
    for (int x = 0; x < 640; ++x) {
      if (black[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]) {
        left = std::min(left, x);
        top = std::min(top, y);
      }
    }
  }
  EXPECT_GE(left, 31 + 30);
  EXPECT_LE(left, 31 + 30 + 6);
  // The text's cell begins at its y and holds room above the capitals: their ink starts a few
  // dots down (9 under Wine's stand-in for the font), where a text placed by its baseline, or one
  // cut at the page's edge, would start at the very top.
  EXPECT_GE(top, 3);
  EXPECT_LE(top, 15);
}

}  // namespace
}  // namespace talvex::platform
