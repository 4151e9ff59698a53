#pragma once

#include <filesystem>

#include "platform/print_system.h"

namespace talvex::platform {

// The page file of a directory printer, in the format each system draws natively: a PDF drawn by
// Qt on Linux, an enhanced metafile drawn by GDI on Windows. Either shows the page at 203 dpi on
// an 80 mm roll with 576 printable dots centred on it, as tall as the content.

// The name's ending of a page file: ".pdf" or ".emf".
extern const char kPageFileExtension[];

// Writes `page` to `path`. Throws PrinterError naming the file when it cannot be written.
void write_page_file(const PrintedPage& page, const std::filesystem::path& path);

}  // namespace talvex::platform
