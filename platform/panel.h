#pragma once

#include <string>

namespace talvex::platform {

// The labels of the status panel, top to bottom.
enum class PanelLabel {
  Organisation,    // the `oragnization` setting
  ControlPrinter,  // "Контрольный принтер: ..."
  PrinterTimer,    // "Таймер печати: ..."
  PrinterTotal,    // "Сворачивание позиций: ..."
  DataCheck,       // the countdown to the next data check
  QueueCheck,      // the countdown to the next queue check
  QueueState,      // whether jobs wait
};
inline constexpr int kPanelLabelCount = 7;

// The buttons of the status panel.
enum class PanelButton {
  Kassa,              // test print on the KASSA row's printer
  Bar,                // ... BAR
  Kitchen,            // ... KITCHEN
  Control,            // ... CONTROL
  PrintOnChosenPort,  // test print on the index in the port chooser
  Hide,               // "OK"
  Close,              // "CLOSE": ends the program
  PrinterList,        // "ПРИНТЕРЫ": lists the installed printers
};
inline constexpr int kPanelButtonCount = 8;

// The controls of the status panel that the service writes and reads. Implemented by the Qt status
// panel and by the tests' fake panel.
class Panel {
 public:
  virtual ~Panel() = default;

  virtual void set_label(PanelLabel label, const std::string& text) = 0;

  // The port chooser: append an entry to its list; read its (editable) text.
  virtual void add_port(const std::string& entry) = 0;
  virtual std::string port_text() const = 0;

  // The list of installed printers.
  virtual void clear_printer_list() = 0;
  virtual void add_printer_line(const std::string& line) = 0;

  // The main window: 0 x 0 hides the panel, 330 x 350 shows it at the top-left corner.
  virtual void set_size(int width, int height) = 0;
  // Closes the main window, which ends the program.
  virtual void close() = 0;
};

}  // namespace talvex::platform
