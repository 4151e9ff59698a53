#pragma once

#include <atomic>
#include <iosfwd>
#include <memory>
#include <string>
#include <thread>

#include "platform/message_box.h"

namespace talvex::platform::win32 {

// The error message box: stop icon, the given caption and text, OK only (MessageBoxW). It does
// not block: the box runs on a thread of its own, so the caller returns at once and the timers
// keep ticking while it is open. While a box is open, further failures go to `log` only; with
// `echo` every failure is written to `log` as well.
class ErrorBox final : public MessageBox {
 public:
  ErrorBox(std::ostream& log, bool echo);
  // Closes a box that is still open, as its OK button does. A box that has not closed within ten
  // seconds is left to the process's end and named on `log`: the service's end never waits on it.
  ~ErrorBox() override;
  ErrorBox(const ErrorBox&) = delete;
  ErrorBox& operator=(const ErrorBox&) = delete;

  void show_error(const std::string& caption, const std::string& text,
                  const std::string& context) override;

  // Whether a box is on screen.
  bool box_open() const { return box_->open.load(); }

 private:
  // What the box's thread shares with the object, which may end before the thread does.
  struct Box {
    std::atomic<bool> open{false};
    std::atomic<unsigned long> thread_id{0};  // the system's id of the box's thread
  };

  std::ostream& log_;
  bool echo_;
  std::shared_ptr<Box> box_;
  std::thread thread_;
};

// The box of a failed start, and of a start that is not needed: returns when the operator has
// closed it.
void show_startup_failure(const std::string& caption, const std::string& text);
void show_startup_notice(const std::string& caption, const std::string& text);

}  // namespace talvex::platform::win32
