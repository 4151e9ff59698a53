#include "tests/support/printed_documents.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/support/run_command.h"

namespace talvex::testing {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<fs::path> sorted_entries(const fs::path& folder) {
  std::vector<fs::path> out;
  for (const fs::directory_entry& e : fs::directory_iterator(folder))
    out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

// The page is a PDF, or a metafile where the Windows program wrote it.
PrintedDocument read_record(const fs::path& path) {
  PrintedDocument d;
  d.record = path;
  QJsonParseError error{};
  const QJsonObject record =
      QJsonDocument::fromJson(QByteArray::fromStdString(read_file(path)), &error).object();
  if (error.error != QJsonParseError::NoError)
    d.damage = "the record does not read: " + error.errorString().toStdString();
  else if (!fs::exists(d.pdf()) && !fs::exists(fs::path(path).replace_extension(".emf")))
    d.damage = "no page " + d.pdf().filename().string() + " beside the record";
  d.printer = record.value("printer").toString().toStdString();
  d.index = record.value("index").toInt(-1);
  d.title = record.value("title").toString().toStdString();
  for (const QJsonValue& v : record.value("texts").toArray()) {
    const QJsonObject t = v.toObject();
    d.texts.push_back({t.value("x").toInt(), t.value("y").toInt(), t.value("pt").toInt(),
                       t.value("text").toString().toStdString()});
  }
  return d;
}

}  // namespace

bool PrintedDocument::shows(const std::string& text) const {
  return std::any_of(texts.begin(), texts.end(), [&](const Text& t) { return t.text == text; });
}

std::vector<std::string> PrintedDocument::ticket_items() const {
  std::map<int, std::string> at_left;
  std::vector<std::string> out;
  for (const Text& t : texts) {
    if (t.x == 0)
      at_left[t.y] = t.text;
    else if (t.x == 500 && at_left.count(t.y) != 0)
      out.push_back(at_left[t.y] + " x" + t.text);
  }
  return out;
}

std::string PrintedDocument::text_starting(const std::string& prefix) const {
  for (const Text& t : texts) {
    if (t.text.rfind(prefix, 0) == 0)
      return t.text;
  }
  return {};
}

namespace {

// What a document's order line begins with: an order ticket's, a pre-check's, a receipt's.
constexpr const char* kOrderPrefixes[] = {"Заказ № ", "Счет на оплату № ", "Чек № "};

}  // namespace

std::string PrintedDocument::order_line() const {
  for (const char* prefix : kOrderPrefixes) {
    const std::string line = text_starting(prefix);
    if (!line.empty())
      return line;
  }
  return {};
}

std::string PrintedDocument::order() const {
  for (const std::string prefix : kOrderPrefixes) {
    const std::string line = text_starting(prefix);
    if (!line.empty())
      return line.substr(prefix.size());
  }
  return {};
}

fs::path PrintedDocument::pdf() const {
  return fs::path(record).replace_extension(".pdf");
}

std::vector<PrintedDocument> read_printed_documents(const fs::path& root) {
  std::vector<PrintedDocument> out;
  for (const fs::path& folder : sorted_entries(root)) {
    if (!fs::is_directory(folder))
      continue;
    for (const fs::path& file : sorted_entries(folder)) {
      const std::string name = file.filename().string();
      if (name.front() != '.' && file.extension() == ".json")
        out.push_back(read_record(file));
    }
  }
  return out;
}

std::vector<PrintedDocument> printed_documents(const fs::path& root) {
  std::vector<PrintedDocument> out = read_printed_documents(root);
  for (const PrintedDocument& d : out)
    EXPECT_TRUE(d.damage.empty()) << d.record << ": " << d.damage;
  return out;
}

std::vector<fs::path> unfinished_files(const fs::path& root) {
  std::vector<fs::path> out;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(root)) {
    if (e.is_regular_file() && e.path().filename().string().front() == '.')
      out.push_back(e.path());
  }
  return out;
}

std::string pdf_text(const fs::path& pdf) {
  return run_command("pdftotext -layout " + shell_quote(pdf.string()) + " - 2>/dev/null");
}

}  // namespace talvex::testing
