#include "platform/win32/error_box.h"

#include <windows.h>

#include <ostream>

#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {

ErrorBox::ErrorBox(std::ostream& log, bool echo)
    : log_(log), echo_(echo), open_(std::make_shared<std::atomic<bool>>(false)) {}

ErrorBox::~ErrorBox() {
  if (!box_.joinable())
    return;
  // The box's thread ends when its box does: press OK on every window of that thread.
  while (open_->load()) {
    EnumThreadWindows(
        box_thread_.load(),
        [](HWND window, LPARAM) {
          PostMessageW(window, WM_COMMAND, IDOK, 0);
          return TRUE;
        },
        0);
    Sleep(10);
  }
  box_.join();
}

void ErrorBox::show_error(const std::string& caption, const std::string& text,
                          const std::string& context) {
  const bool busy = open_->load();
  if (busy || echo_) {
    // One write for the whole line, so that a reader of the log never sees half of it.
    log_ << caption + ": " + (context.empty() ? "" : context + ": ") + text + "\n" << std::flush;
  }
  if (busy)
    return;
  if (box_.joinable())
    box_.join();  // the last box, closed: its thread has ended or is ending
  open_->store(true);
  box_ = std::thread([this, open = open_, caption = wide(caption), text = wide(text)] {
    box_thread_.store(GetCurrentThreadId());
    // Above every window of the desktop, as a failure of the service must be seen.
    MessageBoxW(nullptr, text.c_str(), caption.c_str(),
                MB_OK | MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND);
    open->store(false);
  });
}

void show_startup_failure(const std::string& caption, const std::string& text) {
  MessageBoxW(nullptr, wide(text).c_str(), wide(caption).c_str(), MB_OK | MB_ICONERROR);
}

void show_startup_notice(const std::string& caption, const std::string& text) {
  MessageBoxW(nullptr, wide(text).c_str(), wide(caption).c_str(), MB_OK | MB_ICONINFORMATION);
}

}  // namespace talvex::platform::win32
