#include "platform/files/directory_print_system.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include "platform/files/document_files.h"
#include "platform/files/document_record.h"
#include "platform/files/page_file.h"

namespace talvex::platform {
namespace {

namespace fs = std::filesystem;

// Names are UTF-8 in the engine. A path's own narrow form is that on Linux but the ANSI code page
// on Windows, so names and paths meet only through UTF-8.
std::string utf8_name(const fs::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

fs::path path_of(const std::string& name) {
  return fs::path(std::u8string(name.begin(), name.end()));
}

// The number of a document file's name ("000012.pdf", "000012.json"), or 0 for any other file.
long long document_number(const fs::path& file) {
  const fs::path name = file.filename();
  const std::string stem = utf8_name(name.stem());
  const std::string extension = utf8_name(name.extension());
  if ((extension != kPageFileExtension && extension != ".json") || stem.empty() ||
      stem.size() > 15 ||
      !std::all_of(stem.begin(), stem.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return 0;
  return std::stoll(stem);
}

// One more than the highest document number in `folder`, from 1.
long long next_number(const fs::path& folder) {
  long long highest = 0;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
    highest = std::max(highest, document_number(entry.path()));
  if (error)
    throw PrinterError("Cannot read " + utf8_name(folder) + ": " + error.message());
  return highest + 1;
}

void write_text_file(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out)
    throw PrinterError("Cannot write " + utf8_name(path) + ": " + std::strerror(errno));
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
        found.push_back(utf8_name(entry.path().filename()));
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
  return root_ / path_of(printer_name(index));
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
  long long& number = next_numbers_[utf8_name(dir)];
  const auto taken = [&](long long n) {
    std::snprintf(stem, sizeof stem, "%06lld", n);
    std::error_code ignored;
    return fs::exists(dir / (std::string(stem) + kPageFileExtension), ignored) ||
           fs::exists(dir / (std::string(stem) + ".json"), ignored);
  };
  if (number == 0 || taken(number))
    number = next_number(dir);
  std::snprintf(stem, sizeof stem, "%06lld", number);
  const fs::path page_file = dir / (std::string(stem) + kPageFileExtension);
  const fs::path json = dir / (std::string(stem) + ".json");
  const fs::path page_part = dir / ("." + std::string(stem) + kPageFileExtension + ".part");
  const fs::path json_part = dir / ("." + std::string(stem) + ".json.part");
  try {
    write_page_file(page, page_part);
    write_text_file(json_part, document_record(printer_name(index), index, page));
    move_into_place({page_part, page_file}, {json_part, json});
    ++number;
  } catch (...) {
    std::error_code ignored;
    fs::remove(page_part, ignored);
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
