#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace talvex::testing {

// A document a directory printer wrote, read back from its JSON record.
struct PrintedDocument {
  struct Text {
    int x = 0;
    int y = 0;
    int points = 0;
    std::string text;
  };

  std::filesystem::path record;  // DIR/<printer>/NNNNNN.json
  std::string printer;
  int index = -1;
  std::string title;
  std::vector<Text> texts;
  // Why the document is not whole (its record cut short, its page missing); empty when it is.
  std::string damage;

  bool shows(const std::string& text) const;
  // The item lines of an order ticket: the text at x = 0 and the quantity at x = 500 on one line,
  // as "name xquantity".
  std::vector<std::string> ticket_items() const;
  // The first text that begins with `prefix`, or empty.
  std::string text_starting(const std::string& prefix) const;
  // The line that names the document's order ("Заказ № 104", "Счет на оплату № 4", "Чек № 3"),
  // and the order's number on it; empty for a document without one (a test page).
  std::string order_line() const;
  std::string order() const;
  std::filesystem::path pdf() const;
};

// Every finished document of the directory printers under `root` (one folder per printer), in
// the order of the folders' names and the documents' numbers, damaged ones included.
std::vector<PrintedDocument> read_printed_documents(const std::filesystem::path& root);
// The same, and a damaged document fails the calling test.
std::vector<PrintedDocument> printed_documents(const std::filesystem::path& root);

// Files that a directory printer leaves only while it writes (or after it was cut short): their
// names start with a dot.
std::vector<std::filesystem::path> unfinished_files(const std::filesystem::path& root);

// The text of a PDF as `pdftotext -layout` reads it.
std::string pdf_text(const std::filesystem::path& pdf);

}  // namespace talvex::testing
