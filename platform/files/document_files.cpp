#include "platform/files/document_files.h"

#include <string>
#include <system_error>

#include "platform/print_system.h"

namespace talvex::platform {
namespace {

namespace fs = std::filesystem;

void rename_file(const fs::path& from, const fs::path& to) {
  std::error_code error;
  fs::rename(from, to, error);
  if (error) {
    const std::u8string name = to.u8string();
    throw PrinterError("Cannot write " + std::string(name.begin(), name.end()) + ": " +
                       error.message());
  }
}

}  // namespace

void move_into_place(const WrittenFile& page, const WrittenFile& record) {
  rename_file(page.temporary, page.final);
  try {
    rename_file(record.temporary, record.final);
  } catch (const PrinterError&) {
    // A page without its record would be an orphan that the next try prints beside.
    std::error_code ignored;
    fs::remove(page.final, ignored);
    throw;
  }
}

}  // namespace talvex::platform
