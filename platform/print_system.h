#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace talvex::platform {

// A failure of printing. The message is the exact text the operator sees.
class PrinterError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One text drawn on a page: top-left corner of its first character cell at (x, y) in printer dots,
// at `points` points (converted to dots with the printer's vertical resolution when rendered).
struct DrawnText {
  int x = 0;
  int y = 0;
  int points = 0;
  std::string text;  // UTF-8, never empty

  friend bool operator==(const DrawnText&, const DrawnText&) = default;
};

// A finished single-page document as the printer object hands it over. `identity`, when not
// empty, names this one sending of a document among all others: the print system keeps it with the
// job where it can, out of sight of people, so that find_document() can tell later whether the
// document reached the printer.
struct PrintedPage {
  std::string title;
  std::vector<DrawnText> texts;  // in drawing order
  std::string identity{};
};

// Whether a printer's own records hold a sent document.
enum class DocumentPresence { Found, NotFound, CannotTell };

// What a printer is doing, as far as its platform can tell.
enum class PrinterActivity { Unknown, Idle, Printing, Stopped };

// A job that a printer's platform accepted and has not finished.
struct UnfinishedJob {
  int id = 0;  // the platform's job number, unique among its jobs
  std::string title;

  friend bool operator==(const UnfinishedJob&, const UnfinishedJob&) = default;
};

// A printer's state: what it does; why, as IPP printer-state-reasons keywords ("media-empty-error",
// "offline-report", "paused"; "none" is left out); the platform's own words on it, in the language
// the platform chose (may be empty); and its unfinished jobs, oldest first.
struct PrinterState {
  PrinterActivity activity = PrinterActivity::Unknown;
  std::vector<std::string> reasons;
  std::string message;
  std::vector<UnfinishedJob> jobs;
};

// What a platform offers the printer object: its installed printers and a way to print a finished
// page on one of them. Implemented by the CUPS, QPrinter and directory printers and by the tests'
// recording printer. All calls happen on the user-interface thread.
class PrintSystem {
 public:
  virtual ~PrintSystem() = default;

  // Names of the installed printers in the platform's order. The printer object asks once.
  virtual std::vector<std::string> installed_printers() = 0;
  // Position of the default printer in installed_printers(), or nothing when there is none.
  virtual std::optional<int> default_printer() = 0;
  // Whether a document can be begun on the printer (the platform can open it).
  virtual bool can_open(int index) = 0;
  // Renders and sends the page to the printer and returns the platform's reference of the job (the
  // spooler's job id, the folder's file number), empty where there is none. Throws PrinterError
  // with the platform's text when the page is refused; nothing of the page is printed then.
  virtual std::string print(int index, const PrintedPage& page) = 0;
  // Whether the printer's records (its folder, the spooler's job history) hold the document sent
  // with `identity`, finished or still on its way. CannotTell where the platform keeps no such
  // record or does not answer.
  virtual DocumentPresence find_document(int /*index*/, const std::string& /*identity*/) {
    return DocumentPresence::CannotTell;
  }
  // The state of each printer of the last installed_printers(), in its order. Empty where the
  // platform cannot tell, as for folders and the Windows spooler: every state is unknown then.
  // Never throws; a platform that does not answer reads as unknown.
  virtual std::vector<PrinterState> printer_states() { return {}; }
};

}  // namespace talvex::platform
