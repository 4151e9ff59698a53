#include "platform/files/page_file.h"

#include "platform/win32/emf_page.h"

namespace talvex::platform {

const char kPageFileExtension[] = ".emf";

void write_page_file(const PrintedPage& page, const std::filesystem::path& path) {
  // The paper of an 80 mm receipt printer.
  win32::write_emf(page, 80.0, 576, path);
}

}  // namespace talvex::platform
