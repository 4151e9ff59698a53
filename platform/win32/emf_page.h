#pragma once

#include <filesystem>

#include "platform/print_system.h"

namespace talvex::platform::win32 {

// Writes `page` to `path` as an enhanced metafile drawn by draw_page, its logical units the model's
// 203-dpi dots: a picture `width_mm` wide, with `printable_dots` in whole dots centred on it, as
// tall as the content (at least one dot). The metafile's description is "Talvex" and the page's
// title. Throws PrinterError naming the file when it cannot be written.
void write_emf(const PrintedPage& page, double width_mm, int printable_dots,
               const std::filesystem::path& path);

}  // namespace talvex::platform::win32
