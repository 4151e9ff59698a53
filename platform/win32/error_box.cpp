#include "platform/win32/error_box.h"

#include <windows.h>

#include <ostream>

#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {

namespace {

// How long the end of the service waits for a box to close.
constexpr DWORD kCloseWaitMs = 10000;

}  // namespace

ErrorBox::ErrorBox(std::ostream& log, bool echo)
    : log_(log), echo_(echo), box_(std::make_shared<Box>()) {}

ErrorBox::~ErrorBox() {
  if (!thread_.joinable())
    return;
  // The box's thread ends when its box does: press OK on every window of that thread.
  const DWORD started = GetTickCount();
  while (box_->open.load()) {
    if (GetTickCount() - started > kCloseWaitMs) {
      log_ << "Talvex: the error box did not close; it goes with the program.\n" << std::flush;
      thread_.detach();
      return;
    }
    EnumThreadWindows(
        box_->thread_id.load(),
        [](HWND window, LPARAM) {
          PostMessageW(window, WM_COMMAND, IDOK, 0);
          return TRUE;
        },
        0);
    Sleep(10);
  }
  thread_.join();
}

void ErrorBox::show_error(const std::string& caption, const std::string& text,
                          const std::string& context) {
  const bool busy = box_->open.load();
  if (busy || echo_) {
    // One write for the whole line, so that a reader of the log never sees half of it.
    log_ << caption + ": " + (context.empty() ? "" : context + ": ") + text + "\n" << std::flush;
  }
  if (busy)
    return;
  if (thread_.joinable())
    thread_.join();  // the last box, closed: its thread has ended or is ending
  box_->open.store(true);
  thread_ = std::thread([box = box_, caption = wide(caption), text = wide(text)] {
    box->thread_id.store(GetCurrentThreadId());
    // Above every window of the desktop, as a failure of the service must be seen.
    MessageBoxW(nullptr, text.c_str(), caption.c_str(),
                MB_OK | MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND);
    box->open.store(false);
  });
}

void show_startup_failure(const std::string& caption, const std::string& text) {
  MessageBoxW(nullptr, wide(text).c_str(), wide(caption).c_str(), MB_OK | MB_ICONERROR);
}

void show_startup_notice(const std::string& caption, const std::string& text) {
  MessageBoxW(nullptr, wide(text).c_str(), wide(caption).c_str(), MB_OK | MB_ICONINFORMATION);
}

}  // namespace talvex::platform::win32
