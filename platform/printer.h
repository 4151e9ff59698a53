#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/print_system.h"

namespace talvex::platform {

// The process-wide printer object: the installed-printer list (read at first use and kept for the
// life of the object), the selected printer, the canvas font size and at most one open document.
//
// Idle: selecting a printer and beginning a document are allowed. Printing: from begin_doc() until
// end_doc() or abort(); drawing is allowed, selecting or beginning fails with "Printing in
// progress". A begun document is kept as a list of drawn texts and handed to the print system only
// by end_doc(), so abort() drops it and nothing half drawn reaches a printer.
//
// Failures throw PrinterError with these texts: "Printer index out of range", "There is no default
// printer currently selected", "Printer selected is not valid", "Printing in progress", "Printer is
// not currently printing".
class Printer {
 public:
  explicit Printer(PrintSystem& system);

  const std::vector<std::string>& printers();
  // -1 is the default printer. Selecting the index already selected does nothing.
  void set_printer_index(int index);
  int printer_index();

  void begin_doc(const std::string& title);
  void set_font_size(int points);
  int font_size() const { return font_size_; }
  // Draws at (x, y) in the current size; an empty text draws nothing.
  void text_out(int x, int y, const std::string& text);
  // Sends the page to the printer and returns to idle, also when the print system refuses it.
  // `identity` goes with the page (PrintedPage); returns the print system's job reference.
  std::string end_doc(const std::string& identity = {});
  // Drops the open document, if any, and returns to idle.
  void abort();
  bool printing() const { return printing_; }

  // The state of each printer of printers(), in its order, as the print system tells it now (an
  // empty list where it cannot tell), and the position of its default printer. Neither changes
  // the selection or an open document.
  std::vector<PrinterState> printer_states();
  std::optional<int> default_printer();
  // The name of the printer at printers() position `index`, and whether the printer named `name`
  // holds the document sent with `identity` (CannotTell when no printer has that name now).
  std::string printer_name(int index);
  DocumentPresence find_document(const std::string& name, const std::string& identity);

 private:
  PrintSystem& system_;
  std::vector<std::string> printers_;
  bool listed_ = false;
  bool selected_ = false;  // false until the first selection, which resolves the default printer
  int requested_ = -1;     // the index last asked for, -1 standing for the default printer
  int index_ = -1;         // position in printers_, the default resolved
  int font_size_ = 8;
  bool printing_ = false;
  PrintedPage page_;
};

}  // namespace talvex::platform
