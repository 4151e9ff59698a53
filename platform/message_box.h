#pragma once

#include <string>

namespace talvex::platform {

// Shows a failure to the operator: an error box with an OK button. The box does not stop the
// timers; while one box is open, further failures are written to standard error only. `context`
// names what the failure interrupted (the queue row of a job), or is empty: the line on standard
// error names it before the text, the box shows the text alone.
class MessageBox {
 public:
  virtual ~MessageBox() = default;
  virtual void show_error(const std::string& caption, const std::string& text,
                          const std::string& context) = 0;
};

}  // namespace talvex::platform
