#include "platform/printer.h"

#include <utility>

namespace talvex::platform {

Printer::Printer(PrintSystem& system) : system_(system) {}

const std::vector<std::string>& Printer::printers() {
  if (!listed_) {
    printers_ = system_.installed_printers();
    listed_ = true;
  }
  return printers_;
}

void Printer::set_printer_index(int index) {
  if (printing_)
    throw PrinterError("Printing in progress");
  if (selected_ && index == requested_)
    return;
  const int count = static_cast<int>(printers().size());
  if (index < -1 || index >= count)
    throw PrinterError("Printer index out of range");
  int resolved = index;
  if (index == -1) {
    const std::optional<int> fallback = system_.default_printer();
    if (!fallback || *fallback < 0 || *fallback >= count)
      throw PrinterError("There is no default printer currently selected");
    resolved = *fallback;
  }
  requested_ = index;
  index_ = resolved;
  selected_ = true;
}

std::vector<PrinterState> Printer::printer_states() {
  printers();
  return system_.printer_states();
}

std::optional<int> Printer::default_printer() {
  printers();
  return system_.default_printer();
}

int Printer::printer_index() {
  if (!selected_)
    set_printer_index(-1);
  return index_;
}

void Printer::begin_doc(const std::string& title) {
  if (printing_)
    throw PrinterError("Printing in progress");
  if (!selected_)
    set_printer_index(-1);
  if (!system_.can_open(index_))
    throw PrinterError("Printer selected is not valid");
  page_ = PrintedPage{title, {}};
  printing_ = true;
}

void Printer::set_font_size(int points) {
  font_size_ = points;
}

void Printer::text_out(int x, int y, const std::string& text) {
  if (!printing_)
    throw PrinterError("Printer is not currently printing");
  if (text.empty())
    return;
  page_.texts.push_back(DrawnText{x, y, font_size_, text});
}

std::string Printer::end_doc(const std::string& identity) {
  if (!printing_)
    throw PrinterError("Printer is not currently printing");
  // Idle before the hand-over, so a refused page leaves the object ready for the next job.
  printing_ = false;
  PrintedPage page = std::exchange(page_, PrintedPage{});
  page.identity = identity;
  return system_.print(index_, page);
}

std::string Printer::printer_name(int index) {
  const std::vector<std::string>& names = printers();
  if (index < 0 || index >= static_cast<int>(names.size()))
    return {};
  return names[static_cast<std::size_t>(index)];
}

DocumentPresence Printer::find_document(const std::string& name, const std::string& identity) {
  const std::vector<std::string>& names = printers();
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (names[k] == name)
      return system_.find_document(static_cast<int>(k), identity);
  }
  return DocumentPresence::CannotTell;
}

void Printer::abort() {
  printing_ = false;
  page_ = PrintedPage{};
}

}  // namespace talvex::platform
