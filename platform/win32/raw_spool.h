#pragma once

#include <string>

namespace talvex::platform::win32 {

// Sends `bytes` to the spooler's printer `printer` as one document of datatype RAW under `title`,
// which the spooler hands to the device as they are, and returns the spooler's job id. Throws
// PrinterError with the system's text when the printer cannot be opened, the document cannot be
// started, a write fails or takes fewer bytes than it was given, or the spooler does not take the
// ended document; a document that fails before its end is deleted from the spooler, so nothing of
// it prints.
int spool_raw(const std::string& printer, const std::string& title, const std::string& bytes);

}  // namespace talvex::platform::win32
