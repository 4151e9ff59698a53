#include "platform/files/directory_print_system.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/printer.h"
#include "tests/platform/printout.h"

namespace talvex::platform {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryFolder;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_file(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> files_in(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class DirectoryPrintersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"kitchen", "Bar", "KASSA"})
      fs::create_directory(root() / name);
  }
  fs::path root() const { return folder_.path(); }

  // Prints one page through the printer object on printer `index`.
  void print_page(int index, const std::string& title, const std::vector<DrawnText>& texts) {
    Printer printer(system_);
    printer.set_printer_index(index);
    printer.begin_doc(title);
    for (const DrawnText& t : texts) {
      printer.set_font_size(t.points);
      printer.text_out(t.x, t.y, t.text);
    }
    printer.end_doc();
  }

  TemporaryFolder folder_;
  DirectoryPrintSystem system_{folder_.path()};
};

TEST_F(DirectoryPrintersTest, ListsTheFoldersInByteOrder) {
  fs::create_directory(root() / "bar");
  write_file(root() / "notes.txt", "not a printer");
  EXPECT_EQ(system_.installed_printers(),
            (std::vector<std::string>{"Bar", "KASSA", "bar", "kitchen"}));
}

struct DefaultCase {
  const char* name;
  std::optional<std::string> file;  // contents of DIR/default, or no such file
  std::optional<int> index;
};

class DirectoryDefaultTest : public DirectoryPrintersTest,
                             public ::testing::WithParamInterface<DefaultCase> {};

TEST_P(DirectoryDefaultTest, TheDefaultFileNamesTheDefaultPrinter) {
  if (GetParam().file)
    write_file(root() / "default", *GetParam().file);
  EXPECT_EQ(system_.default_printer(), GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(Files, DirectoryDefaultTest,
                         ::testing::Values(DefaultCase{"NoFile", std::nullopt, std::nullopt},
                                           DefaultCase{"Name", "kitchen", 2},
                                           DefaultCase{"NameAndNewline", "KASSA\n", 1},
                                           DefaultCase{"NameAndCrLf", "Bar\r\n", 0},
                                           DefaultCase{"CaseDiffers", "kassa\n", std::nullopt},
                                           DefaultCase{"NoSuchFolder", "office\n", std::nullopt},
                                           DefaultCase{"Empty", "", std::nullopt}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(DirectoryPrintersTest, ADocumentLandsAtItsPositions) {
  const std::vector<DrawnText> texts = {{30, 0, 16, "Ресторан «Талвекс»"},
                                        {0, 50, 10, "Зал 2, стол 5"},
                                        {0, 125, 12, "Предчек №17"},
                                        {240, 175, 9, "3"},
                                        {430, 175, 9, "4500 тг."},
                                        {0, 205, 9, "----------------------------------------"},
                                        {0, 410, 7, "Тел: +7 (700) 555 01 01"}};
  print_page(1, "Предчек не cвернутый", texts);

  const fs::path pdf = root() / "KASSA" / "000001.pdf";
  ASSERT_TRUE(fs::exists(pdf));
  const testing::PdfDocument doc = testing::read_pdf(pdf.string());
  EXPECT_EQ(doc.title, "Предчек не cвернутый");
  ASSERT_EQ(doc.pages.size(), 1u);
  EXPECT_NEAR(doc.pages[0].width, 80 / 25.4 * 72, 1.0);
  testing::expect_texts_at(doc.pages[0], texts, 203, testing::roll_margin_pt());
}

TEST_F(DirectoryPrintersTest, TheRecordListsExactlyTheDrawnTexts) {
  Printer printer(system_);
  printer.set_printer_index(2);
  printer.begin_doc("Заказ 12");
  printer.set_font_size(16);
  printer.text_out(10, 0, "Шашлык из баранины");
  printer.text_out(0, 50, "");  // draws nothing and has no entry
  printer.set_font_size(9);
  printer.text_out(240, 175, "2");
  printer.text_out(-5, 2000, "Ёлка ✓");
  printer.end_doc();

  const std::string raw = read_file(root() / "kitchen" / "000001.json");
  QJsonParseError error{};
  const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(raw), &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << raw;
  const QJsonObject record = json.object();
  EXPECT_EQ(record.value("printer").toString().toStdString(), "kitchen");
  EXPECT_EQ(record.value("index").toInt(-1), 2);
  EXPECT_EQ(record.value("title").toString().toStdString(), "Заказ 12");

  const std::vector<DrawnText> expected = {
      {10, 0, 16, "Шашлык из баранины"}, {240, 175, 9, "2"}, {-5, 2000, 9, "Ёлка ✓"}};
  std::vector<DrawnText> recorded;
  for (const QJsonValue& v : record.value("texts").toArray()) {
    const QJsonObject t = v.toObject();
    EXPECT_EQ(t.size(), 4);
    recorded.push_back({t.value("x").toInt(), t.value("y").toInt(), t.value("pt").toInt(),
                        t.value("text").toString().toStdString()});
  }
  EXPECT_EQ(recorded, expected);
}

struct EscapeCase {
  const char* name;
  std::string text;
  std::string json;  // how the text appears in the record
};

class DirectoryRecordTest : public DirectoryPrintersTest,
                            public ::testing::WithParamInterface<EscapeCase> {};

TEST_P(DirectoryRecordTest, TheRecordIsWrittenAsSpecifiedAndEscaped) {
  print_page(0, "Счёт \"7\"", {{1, 2, 8, GetParam().text}});
  EXPECT_EQ(read_file(root() / "Bar" / "000001.json"),
            "{\"printer\": \"Bar\", \"index\": 0, \"title\": \"Счёт \\\"7\\\"\", \"texts\": "
            "[{\"x\": 1, \"y\": 2, \"pt\": 8, \"text\": " +
                GetParam().json + "}]}\n");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DirectoryRecordTest,
    ::testing::Values(EscapeCase{"Cyrillic", "Итого: 4500 тг.", "\"Итого: 4500 тг.\""},
                      EscapeCase{"FourByteCharacter", "Суп 🍲", "\"Суп 🍲\""},
                      EscapeCase{"QuoteAndBackslash", "a\"b\\c", "\"a\\\"b\\\\c\""},
                      EscapeCase{"LineBreaksAndTab", "a\r\nb\tc", "\"a\\r\\nb\\tc\""},
                      EscapeCase{"OtherControlCharacters", std::string("a\x01\x1f", 3) + "b",
                                 "\"a\\u0001\\u001fb\""},
                      EscapeCase{"BrokenUtf8BecomesReplacementCharacter", "a\xff\xd0z",
                                 "\"a\xef\xbf\xbd\xef\xbf\xbdz\""},
                      EscapeCase{
                          "OverlongFormAndSurrogateAreNotUtf8", "\xc0\xaf|\xed\xa0\x80",
                          "\"\xef\xbf\xbd\xef\xbf\xbd|\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\""}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(DirectoryPrintersTest, AnAbortedDocumentLeavesNoFile) {
  Printer printer(system_);
  printer.set_printer_index(0);
  printer.begin_doc("Брошенный");
  printer.text_out(0, 0, "половина");
  printer.abort();
  EXPECT_TRUE(files_in(root() / "Bar").empty());

  printer.begin_doc("Целый");
  printer.text_out(0, 0, "весь");
  printer.end_doc();
  EXPECT_EQ(files_in(root() / "Bar"), (std::vector<std::string>{"000001.json", "000001.pdf"}));
}

TEST_F(DirectoryPrintersTest, NumberingGoesOnFromTheHighestNumberInEachFolder) {
  for (const char* name : {"000007.pdf", "000009.json", "000120.txt", "notes.pdf", "12a.json"})
    write_file(root() / "KASSA" / name, "");
  print_page(1, "a", {{0, 0, 8, "a"}});
  print_page(1, "b", {{0, 0, 8, "b"}});
  print_page(2, "c", {{0, 0, 8, "c"}});

  const std::vector<std::string> kassa = files_in(root() / "KASSA");
  for (const char* name : {"000010.pdf", "000010.json", "000011.pdf", "000011.json"})
    EXPECT_NE(std::find(kassa.begin(), kassa.end(), name), kassa.end()) << name;
  EXPECT_NE(read_file(root() / "KASSA" / "000011.json").find("\"title\": \"b\""),
            std::string::npos);
  EXPECT_EQ(files_in(root() / "kitchen"), (std::vector<std::string>{"000001.json", "000001.pdf"}));

  // A document written there by something else meanwhile keeps its number.
  write_file(root() / "KASSA" / "000012.json", "");
  write_file(root() / "KASSA" / "000015.pdf", "");
  print_page(1, "d", {{0, 0, 8, "d"}});
  EXPECT_NE(read_file(root() / "KASSA" / "000016.json").find("\"title\": \"d\""),
            std::string::npos);
}

TEST_F(DirectoryPrintersTest, AFolderRemovedAfterListingCannotBeOpened) {
  Printer printer(system_);
  printer.set_printer_index(2);
  fs::remove(root() / "kitchen");
  EXPECT_FALSE(system_.can_open(2));
  EXPECT_TRUE(system_.can_open(0));
  try {
    printer.begin_doc("Заказ");
    FAIL() << "the document began";
  } catch (const PrinterError& e) {
    EXPECT_STREQ(e.what(), "Printer selected is not valid");
  }
  EXPECT_FALSE(printer.printing());
}

// Indexes that are no printer's, as the print system may be handed them directly: each fails as
// the other print systems fail, and nothing is written.
TEST_F(DirectoryPrintersTest, AnIndexThatIsNoPrintersCannotBeOpenedOrPrintedOn) {
  for (const int index : {-1, -2, INT_MIN, 3, INT_MAX}) {
    SCOPED_TRACE(index);
    EXPECT_FALSE(system_.can_open(index));
    try {
      system_.print(index, PrintedPage{"Заказ", {{0, 0, 8, "x"}}});
      ADD_FAILURE() << "printed";
    } catch (const PrinterError& e) {
      EXPECT_STREQ(e.what(), "Printer index out of range");
    }
  }
  for (const char* name : {"Bar", "KASSA", "kitchen"})
    EXPECT_TRUE(files_in(root() / name).empty()) << name;
}

}  // namespace
}  // namespace talvex::platform
