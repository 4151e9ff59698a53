#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files/directory_print_system.h"
#include "platform/files/page_file.h"
#include "platform/printer.h"
#include "tests/support/temporary_folder.h"

namespace talvex::platform {

inline std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void write_file(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The names in `folder`, sorted.
inline std::vector<std::string> files_in(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const std::filesystem::directory_entry& e : std::filesystem::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The name of the page file of document `stem` ("000001.pdf" on Linux).
inline std::string page_file(const std::string& stem) {
  return stem + kPageFileExtension;
}

// The two files of document `stem`, sorted as files_in() lists them.
inline std::vector<std::string> document_files(const std::string& stem) {
  std::vector<std::string> names{stem + ".json", page_file(stem)};
  std::sort(names.begin(), names.end());
  return names;
}

// Directory printers in a folder of the test's own, with the printers "Bar", "KASSA" and "kitchen"
// (indexes 0, 1, 2).
class DirectoryPrintersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"kitchen", "Bar", "KASSA"})
      std::filesystem::create_directory(root() / name);
  }
  // The folder's name is UTF-8, which a path takes as its own only on Linux.
  std::filesystem::path root() const {
    return std::filesystem::path(std::u8string(folder_.path().begin(), folder_.path().end()));
  }

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

  testing::TemporaryFolder folder_;
  DirectoryPrintSystem system_{root()};
};

}  // namespace talvex::platform
