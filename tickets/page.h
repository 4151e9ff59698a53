#pragma once

#include <string>

#include "platform/printer.h"

namespace talvex::tickets {

// A document being drawn on the printer object, line by line under the cursor `top` (in printer
// dots). A document that is not ended, because a failure interrupted it, is aborted when the Page
// goes away, so nothing half drawn reaches the printer and the printer object is free again.
class Page {
 public:
  explicit Page(platform::Printer& printer) : printer_(printer) {}
  ~Page();
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  // Begins the document under `title`; the cursor starts at 0.
  void start(const std::string& title);
  void size(int points) { printer_.set_font_size(points); }
  // Draws `text` at (x, top) in the current size; the cursor stays.
  void text(int x, const std::string& text) { printer_.text_out(x, top, text); }
  // Draws `text` at (x, top), then moves the cursor down by `advance`.
  void line(int x, const std::string& text, int advance);
  void skip(int advance) { top += advance; }
  // Sends the document with `identity` (platform::Printer::end_doc) and returns the print system's
  // job reference.
  std::string end(const std::string& identity = {});

  int top = 0;

 private:
  platform::Printer& printer_;
  bool open_ = false;
};

}  // namespace talvex::tickets
