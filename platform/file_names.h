#pragma once

#include <string>

namespace talvex::platform {

// File names and library texts across the systems' encodings. The program's own strings are
// UTF-8; a C library on Windows reads and writes the ANSI code page instead.

// Empty when the file `path` (UTF-8) can be opened for reading, otherwise the system's reason.
std::string unreadable_reason(const std::string& path);

// `path` (UTF-8) in the form a library's narrow file API opens: itself on Linux; on Windows in the
// ANSI code page, or as its short name where the code page cannot hold it (a Cyrillic folder on a
// Western Windows). The file or folder must exist for the short name.
std::string library_path(const std::string& path);

// A library's message as UTF-8: on Windows a text that is not UTF-8 is read in the ANSI code page
// (the system's error texts come so); on Linux the text itself.
std::string library_text(const std::string& text);

}  // namespace talvex::platform
