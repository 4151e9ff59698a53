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

// A finished single-page document as the printer object hands it over.
struct PrintedPage {
  std::string title;
  std::vector<DrawnText> texts;  // in drawing order
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
  // Renders and sends the page to the printer. Throws PrinterError with the platform's text when
  // the page is refused; nothing of the page is printed then.
  virtual void print(int index, const PrintedPage& page) = 0;
};

}  // namespace talvex::platform
