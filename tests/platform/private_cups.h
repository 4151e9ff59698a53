#pragma once

#include <optional>
#include <string>
#include <vector>

namespace talvex::testing {

// Points libcups (and Qt's CUPS support through it) at the private scheduler that ctest starts
// with scripts/cups-private.sh. Call before the first CUPS call of the process.
void use_private_cups();

// A job as the private scheduler's capture backend saved it.
struct CapturedJob {
  std::string title;
  std::string document;  // path of the document as submitted
};

// Waits for a job on `queue` whose document's text contains `token`; nothing if none arrives
// within a minute.
std::optional<CapturedJob> wait_for_job(const std::string& queue, const std::string& token);

// Every complete job on `queue` so far whose document is a PDF whose text contains `token`, in the
// order the scheduler numbered them. `text` holds the document's text as `pdftotext -layout`
// reads it.
struct CapturedText {
  CapturedJob job;
  std::string text;
};
std::vector<CapturedText> captured_jobs(const std::string& queue, const std::string& token);

// Runs a CUPS administration command (lpadmin, cupsreject...) against the private scheduler. The
// command's first word is the program, found in PATH or else in /usr/sbin or /sbin; the rest are
// its arguments, already quoted for the shell.
void cups_admin(const std::string& command);

}  // namespace talvex::testing
