#pragma once

#include <QPointer>

#include <iosfwd>
#include <string>

#include "platform/message_box.h"

class QMessageBox;

namespace talvex::platform::qt {

// The error message box: stop icon, the given caption and text, OK only. It does not block: the
// caller returns at once and the timers keep ticking while the box is open. While a box is open,
// further failures go to `log` only; with `echo` (no display to show boxes on) every failure is
// written to `log` as well.
class ErrorBox final : public MessageBox {
 public:
  ErrorBox(std::ostream& log, bool echo);
  ~ErrorBox() override;
  ErrorBox(const ErrorBox&) = delete;
  ErrorBox& operator=(const ErrorBox&) = delete;

  void show_error(const std::string& caption, const std::string& text,
                  const std::string& context) override;

  // The box on screen, or nullptr.
  QMessageBox* open_box() const;

 private:
  std::ostream& log_;
  bool echo_;
  QPointer<QMessageBox> box_;
};

// The box of a failed start: stop icon, OK, modal over the whole program; returns when the
// operator has closed it.
void show_startup_failure(const std::string& caption, const std::string& text);

// The same with the information icon, for a start that is not needed.
void show_startup_notice(const std::string& caption, const std::string& text);

}  // namespace talvex::platform::qt
