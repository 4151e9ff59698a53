#pragma once

#include <string>

#include "platform/print_system.h"

namespace talvex::platform {

// The JSON record that a directory printer writes beside each page, one line:
//   {"printer": NAME, "index": N, "title": TITLE, ["document": IDENTITY, ]"texts": [{"x": X,
//   "y": Y, "pt": POINTS, "text": TEXT}, ...]}
// The keys stand in this order with a space after every colon and comma; texts are UTF-8 with
// quotes, backslashes and control characters escaped and bytes that are not UTF-8 written as
// U+FFFD; empty texts are left out. The same on every system.
std::string document_record(const std::string& printer, int index, const PrintedPage& page);

// How a document's identity stands in its record: what a lookup searches the records for.
std::string identity_entry(const std::string& identity);

}  // namespace talvex::platform
