#pragma once

#include <filesystem>

namespace talvex::platform {

// A file of a document written under a temporary name, and the name it is to have.
struct WrittenFile {
  std::filesystem::path temporary;
  std::filesystem::path final;
};

// Renames a document's two written files into place: the page first, the record last, so that a
// reader that waits for the record finds the whole document. The two appear together or not at
// all: when the record cannot follow, the page is taken back out. Throws PrinterError naming the
// file that could not be put in place; the temporary files are the caller's to remove.
void move_into_place(const WrittenFile& page, const WrittenFile& record);

}  // namespace talvex::platform
