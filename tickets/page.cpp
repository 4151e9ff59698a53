#include "tickets/page.h"

namespace talvex::tickets {

Page::~Page() {
  if (open_)
    printer_.abort();
}

void Page::start(const std::string& title) {
  top = 0;
  printer_.begin_doc(title);
  open_ = true;
}

void Page::line(int x, const std::string& text, int advance) {
  printer_.text_out(x, top, text);
  top += advance;
}

std::string Page::end(const std::string& identity) {
  open_ = false;
  return printer_.end_doc(identity);
}

}  // namespace talvex::tickets
