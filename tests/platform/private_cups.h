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

// Waits for a job on `queue` whose document is a PDF with `token` in its text; nothing if none
// arrives within a minute. Documents of other formats (ESC/POS for a receipt printer) are passed
// over.
std::optional<CapturedJob> wait_for_job(const std::string& queue, const std::string& token);

// Every complete job on `queue` so far whose document is a PDF whose text contains `token`, in the
// order the scheduler numbered them. `text` holds the document's text as `pdftotext -layout`
// reads it.
struct CapturedText {
  CapturedJob job;
  std::string text;
};
std::vector<CapturedText> captured_jobs(const std::string& queue, const std::string& token);

// Runs a CUPS administration command (lpadmin, cupsreject, lpstat...) against the private
// scheduler and returns what it wrote. The command's first word is the program, found in PATH or
// else in /usr/sbin or /sbin; the rest are its arguments, already quoted for the shell.
std::string cups_admin(const std::string& command);

// The harness's capture driver at `dpi` (203 or 300): a PPD that passes PDF through to the capture
// backend, for a test's own queue with a driver.
std::string capture_driver(int dpi);

// The folder where the capture backend keeps the jobs of `queue`.
std::string capture_folder(const std::string& queue);

// A queue the test adds to the private scheduler and removes, with its jobs, when the object goes
// (or sooner, by remove()), whatever the test failed on before.
// `arguments` are lpadmin's after -p NAME -E, quoted for the shell ("-v socket://... -m raw").
// Name it so that it sorts after the harness's queues (CUPS sorts without regard to case: a name
// after "Stop-80"), and the harness's queues keep their positions in the list of printers.
class TemporaryQueue final {
 public:
  TemporaryQueue(std::string name, const std::string& arguments);
  ~TemporaryQueue();
  TemporaryQueue(const TemporaryQueue&) = delete;
  TemporaryQueue& operator=(const TemporaryQueue&) = delete;

  const std::string& name() const { return name_; }
  // Removes the queue now, for a test of what follows its removal.
  void remove();

 private:
  std::string name_;
  bool removed_ = false;
};

}  // namespace talvex::testing
