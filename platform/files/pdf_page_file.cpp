#include "platform/files/page_file.h"

#include "platform/qt/page_renderer.h"

namespace talvex::platform {

const char kPageFileExtension[] = ".pdf";

void write_page_file(const PrintedPage& page, const std::filesystem::path& path) {
  // The paper of an 80 mm receipt printer.
  constexpr qt::Roll kRoll{203, 80.0, 576};
  qt::write_pdf(page, kRoll, path.string());
}

}  // namespace talvex::platform
