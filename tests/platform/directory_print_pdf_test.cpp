// What the Linux directory printers write, read back with the tests' PDF reader and Qt's own JSON
// parser.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/printer.h"
#include "tests/platform/directory_printers_fixture.h"
#include "tests/platform/printout.h"

namespace talvex::platform {
namespace {

namespace fs = std::filesystem;

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

}  // namespace
}  // namespace talvex::platform
