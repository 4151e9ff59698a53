#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/print_system.h"

namespace talvex::platform {

// Printers that are folders: every subdirectory of the root is a printer, in byte order of the
// names; the file `default` in the root names the default printer. Each printed page becomes two
// files in its printer's folder, the page (NNNNNN.pdf on Linux, NNNNNN.emf on Windows: see
// page_file.h) and NNNNNN.json (the page's texts, the same on every system), numbered on from the
// highest number there (listed once per folder; then on from the last document, so the folder is
// not read for every page). Each file is written under a temporary name and renamed, the JSON
// last, so a reader that waits for the JSON always finds the whole document; a page whose record
// cannot follow is removed again, so a refused document leaves nothing. Printer names are
// UTF-8 on both systems. Rendering needs a QGuiApplication on Linux.
class DirectoryPrintSystem final : public PrintSystem {
 public:
  explicit DirectoryPrintSystem(std::filesystem::path root);

  std::vector<std::string> installed_printers() override;
  std::optional<int> default_printer() override;
  bool can_open(int index) override;
  // Throws PrinterError "Printer index out of range" for an index that is no printer's, and
  // naming the file when it cannot be written. Returns the document's number ("000012").
  std::string print(int index, const PrintedPage& page) override;
  // Found when a JSON record of the printer's folder carries the identity.
  DocumentPresence find_document(int index, const std::string& identity) override;

 private:
  const std::vector<std::string>& names();
  // The name of the printer at `index`; throws PrinterError "Printer index out of range" for any
  // other index.
  const std::string& printer_name(int index);
  std::filesystem::path folder(int index);

  std::filesystem::path root_;
  std::optional<std::vector<std::string>> names_;
  // Per folder, the number of its next document; 0 until the folder has been listed.
  std::map<std::string, long long> next_numbers_;
};

}  // namespace talvex::platform
