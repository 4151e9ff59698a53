#include "platform/files/directory_print_system.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include "platform/files/document_record.h"
#include "platform/qt/page_renderer.h"

namespace talvex::platform {
namespace {

namespace fs = std::filesystem;

// The paper of an 80 mm receipt printer.
constexpr qt::Roll kRoll{203, 80.0, 576};

// The number of a document file's name ("000012.pdf", "000012.json"), or 0 for any other file.
long document_number(const fs::path& file) {
  const fs::path name = file.filename();
  const std::string stem = name.stem().string();
  const std::string extension = name.extension().string();
  if ((extension != ".pdf" && extension != ".json") || stem.empty() || stem.size() > 15 ||
      !std::all_of(stem.begin(), stem.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return 0;
  return std::stol(stem);
}

// One more than the highest document number in `folder`, from 1.
long next_number(const fs::path& folder) {
  long highest = 0;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
    highest = std::max(highest, document_number(entry.path()));
  if (error)
    throw PrinterError("Cannot read " + folder.string() + ": " + error.message());
  return highest + 1;
}

void write_text_file(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out)
    throw PrinterError("Cannot write " + path.string() + ": " + std::strerror(errno));
}

void rename_file(const fs::path& from, const fs::path& to) {
  std::error_code error;
  fs::rename(from, to, error);
  if (error)
    throw PrinterError("Cannot write " + to.string() + ": " + error.message());
}

}  // namespace

DirectoryPrintSystem::DirectoryPrintSystem(fs::path root) : root_(std::move(root)) {}

const std::vector<std::string>& DirectoryPrintSystem::names() {
  if (!names_) {
    std::vector<std::string> found;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(root_, error)) {
      std::error_code ignored;
      if (entry.is_directory(ignored))
        found.push_back(entry.path().filename().string());
    }
    // std::string compares as unsigned bytes, which is the order promised.
    std::sort(found.begin(), found.end());
    names_ = std::move(found);
  }
  return *names_;
}

const std::string& DirectoryPrintSystem::printer_name(int index) {
  const std::vector<std::string>& list = names();
  if (index < 0 || index >= static_cast<int>(list.size()))
    throw PrinterError("Printer index out of range");
  return list[static_cast<std::size_t>(index)];
}

fs::path DirectoryPrintSystem::folder(int index) {
  return root_ / printer_name(index);
}

std::vector<std::string> DirectoryPrintSystem::installed_printers() {
  return names();
}

std::optional<int> DirectoryPrintSystem::default_printer() {
  std::ifstream in(root_ / "default");
  std::string name;
  if (!in || !std::getline(in, name))
    return std::nullopt;
  while (!name.empty() && (name.back() == '\r' || name.back() == ' ' || name.back() == '\t'))
    name.pop_back();
  const std::vector<std::string>& list = names();
  const auto found = std::find(list.begin(), list.end(), name);
  if (found == list.end())
    return std::nullopt;
  return static_cast<int>(found - list.begin());
}

bool DirectoryPrintSystem::can_open(int index) {
  if (index < 0 || index >= static_cast<int>(names().size()))
    return false;
  std::error_code ignored;
  return fs::is_directory(folder(index), ignored);
}

std::string DirectoryPrintSystem::print(int index, const PrintedPage& page) {
  const fs::path dir = folder(index);
  char stem[32];
  // The folder is listed once; after that the number goes on from the last document, unless
  // something else wrote that number meanwhile.
  long& number = next_numbers_[dir.string()];
  const auto taken = [&](long n) {
    std::snprintf(stem, sizeof stem, "%06ld", n);
    std::error_code ignored;
    return fs::exists(dir / (std::string(stem) + ".pdf"), ignored) ||
           fs::exists(dir / (std::string(stem) + ".json"), ignored);
  };
  if (number == 0 || taken(number))
    number = next_number(dir);
  std::snprintf(stem, sizeof stem, "%06ld", number);
  const fs::path pdf = dir / (std::string(stem) + ".pdf");
  const fs::path json = dir / (std::string(stem) + ".json");
  const fs::path pdf_part = dir / ("." + std::string(stem) + ".pdf.part");
  const fs::path json_part = dir / ("." + std::string(stem) + ".json.part");
  try {
    qt::write_pdf(page, kRoll, pdf_part.string());
    write_text_file(json_part, document_record(printer_name(index), index, page));
    rename_file(pdf_part, pdf);
    rename_file(json_part, json);
    ++number;
  } catch (...) {
    std::error_code ignored;
    fs::remove(pdf_part, ignored);
    fs::remove(json_part, ignored);
    throw;
  }
  return stem;
}

DocumentPresence DirectoryPrintSystem::find_document(int index, const std::string& identity) {
  if (identity.empty() || !can_open(index))
    return DocumentPresence::CannotTell;
  // A document is there once its JSON record is: the record is renamed into place last.
  const std::string entry = identity_entry(identity);
  std::error_code error;
  for (const fs::directory_entry& file : fs::directory_iterator(folder(index), error)) {
    if (file.path().extension() != ".json" || document_number(file.path()) == 0)
      continue;
    std::ifstream in(file.path(), std::ios::binary);
    const std::string record((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    if (record.find(entry) != std::string::npos)
      return DocumentPresence::Found;
  }
  return error ? DocumentPresence::CannotTell : DocumentPresence::NotFound;
}

}  // namespace talvex::platform
