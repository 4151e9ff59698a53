#pragma once

#include <string>

namespace talvex::platform {

// The controls of the status panel that the service writes and reads. Implemented by the Qt status
// panel and by the tests' fake panel.
class Panel {
 public:
  virtual ~Panel() = default;

  // Label1 ... Label7.
  virtual void set_label(int number, const std::string& text) = 0;

  // The port chooser ComboBox1: append an entry to its list; read its (editable) text.
  virtual void add_port(const std::string& entry) = 0;
  virtual std::string port_text() const = 0;

  // The printer list ListBox1.
  virtual void clear_printer_list() = 0;
  virtual void add_printer_line(const std::string& line) = 0;

  // The main window: 0 x 0 hides the panel, 330 x 350 shows it at the top-left corner.
  virtual void set_size(int width, int height) = 0;
  // Closes the main window, which ends the program.
  virtual void close() = 0;
};

}  // namespace talvex::platform
