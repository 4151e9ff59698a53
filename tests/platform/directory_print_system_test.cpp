// Directory printers as both systems have them: the folders, the numbering, the records and the
// lookups by identity. What the page files show is read back by each system's own test.

#include "platform/files/directory_print_system.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/files/document_files.h"
#include "platform/printer.h"
#include "tests/platform/directory_printers_fixture.h"

namespace talvex::platform {
namespace {

namespace fs = std::filesystem;

TEST_F(DirectoryPrintersTest, ListsTheFoldersInByteOrder) {
  // Byte order puts every capital first; "bistro" would come second in an order without regard
  // to case (and Windows has no "bar" beside "Bar").
  fs::create_directory(root() / "bistro");
  write_file(root() / "notes.txt", "not a printer");
  EXPECT_EQ(system_.installed_printers(),
            (std::vector<std::string>{"Bar", "KASSA", "bistro", "kitchen"}));
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
  EXPECT_EQ(files_in(root() / "Bar"), document_files("000001"));
}

TEST_F(DirectoryPrintersTest, NumberingGoesOnFromTheHighestNumberInEachFolder) {
  for (const std::string& name :
       {page_file("000007"), std::string("000009.json"), std::string("000120.txt"),
        page_file("notes"), std::string("12a.json")})
    write_file(root() / "KASSA" / name, "");
  print_page(1, "a", {{0, 0, 8, "a"}});
  print_page(1, "b", {{0, 0, 8, "b"}});
  print_page(2, "c", {{0, 0, 8, "c"}});

  const std::vector<std::string> kassa = files_in(root() / "KASSA");
  for (const std::string& name : {page_file("000010"), std::string("000010.json"),
                                  page_file("000011"), std::string("000011.json")})
    EXPECT_NE(std::find(kassa.begin(), kassa.end(), name), kassa.end()) << name;
  EXPECT_NE(read_file(root() / "KASSA" / "000011.json").find("\"title\": \"b\""),
            std::string::npos);
  EXPECT_EQ(files_in(root() / "kitchen"), document_files("000001"));

  // A document written there by something else meanwhile keeps its number.
  write_file(root() / "KASSA" / "000012.json", "");
  write_file(root() / "KASSA" / page_file("000015"), "");
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

// The whole record of a document with an identity: byte for byte the same on every system.
TEST_F(DirectoryPrintersTest, TheRecordOfADocumentWithItsIdentity) {
  system_.print(2, PrintedPage{"Заказ 12",
                               {{10, 0, 16, "Шашлык"}, {0, 50, 9, ""}, {-5, 2000, 9, "Ёлка ✓"}},
                               "job 7/1 #2"});
  EXPECT_EQ(read_file(root() / "kitchen" / "000001.json"),
            "{\"printer\": \"kitchen\", \"index\": 2, \"title\": \"Заказ 12\", \"document\": "
            "\"job 7/1 #2\", \"texts\": [{\"x\": 10, \"y\": 0, \"pt\": 16, \"text\": \"Шашлык\"}, "
            "{\"x\": -5, \"y\": 2000, \"pt\": 9, \"text\": \"Ёлка ✓\"}]}\n");
}

// A document is found by its identity in its own printer's folder once its record is in place;
// a record still under its temporary name is not there yet.
TEST_F(DirectoryPrintersTest, ADocumentIsFoundByItsIdentity) {
  system_.print(1, PrintedPage{"Заказ", {{0, 0, 8, "x"}}, "7/1 \"kassa\""});
  write_file(root() / "KASSA" / ".000002.json.part",
             "{\"printer\": \"KASSA\", \"index\": 1, \"title\": \"Заказ\", \"document\": "
             "\"7/2\", \"texts\": []}\n");
  struct Lookup {
    int index;
    std::string identity;
    DocumentPresence presence;
  };
  for (const Lookup& l :
       {Lookup{1, "7/1 \"kassa\"", DocumentPresence::Found},
        Lookup{1, "7/1", DocumentPresence::NotFound}, Lookup{1, "7/2", DocumentPresence::NotFound},
        Lookup{0, "7/1 \"kassa\"", DocumentPresence::NotFound},
        Lookup{1, "", DocumentPresence::CannotTell},
        Lookup{3, "7/1 \"kassa\"", DocumentPresence::CannotTell}}) {
    SCOPED_TRACE(std::to_string(l.index) + " " + l.identity);
    EXPECT_EQ(system_.find_document(l.index, l.identity), l.presence);
  }
}

// A document's two files appear together or not at all: a page whose record cannot follow it into
// place (here the record's name is taken by a folder) is taken out again.
TEST_F(DirectoryPrintersTest, APageWhoseRecordCannotFollowIsTakenOutAgain) {
  const fs::path kitchen = root() / "kitchen";
  const WrittenFile page{kitchen / ".000001.part", kitchen / page_file("000001")};
  const WrittenFile record{kitchen / ".000001.json.part", kitchen / "000001.json"};
  write_file(page.temporary, "page");
  write_file(record.temporary, "{}");
  fs::create_directory(record.final);
  EXPECT_THROW(move_into_place(page, record), PrinterError);
  EXPECT_FALSE(fs::exists(page.final));

  fs::remove(record.final);
  write_file(page.temporary, "page");
  move_into_place(page, record);
  EXPECT_EQ(files_in(kitchen), document_files("000001"));
}

}  // namespace
}  // namespace talvex::platform
