#include "platform/win32/shutdown_block_reason.h"

#include <windows.h>

#include <ostream>

#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {

ShutdownBlockReason::Calls ShutdownBlockReason::system_calls() {
  return {
      [](HWND window, const std::wstring& reason) -> unsigned long {
        return ShutdownBlockReasonCreate(window, reason.c_str()) ? 0 : GetLastError();
      },
      [](HWND window) -> unsigned long {
        return ShutdownBlockReasonDestroy(window) ? 0 : GetLastError();
      },
  };
}

ShutdownBlockReason::ShutdownBlockReason(HWND__* window, std::ostream& log, Calls calls)
    : window_(window), log_(log), calls_(std::move(calls)) {}

void ShutdownBlockReason::begin(std::string_view reason) {
  // Windows keeps one reason per window: an inner pair leaves the outer one's in place.
  if (depth_++ > 0)
    return;
  const unsigned long error = calls_.create(window_, wide(reason));
  set_ = error == 0;
  if (!set_)
    tell_refusal("Windows cannot be told why the session should wait while Talvex prints", error);
}

void ShutdownBlockReason::end() {
  if (depth_ == 0 || --depth_ > 0)
    return;
  if (!set_)
    return;
  set_ = false;
  if (const unsigned long error = calls_.destroy(window_))
    tell_refusal("Windows cannot be told that Talvex has stopped printing", error);
}

void ShutdownBlockReason::tell_refusal(const char* what, unsigned long error) {
  // Once: the same refusal at every job would fill the log and say nothing new.
  if (told_)
    return;
  told_ = true;
  log_ << std::string("Talvex: ") + what + ": " + system_error_text(error) + "\n" << std::flush;
}

}  // namespace talvex::platform::win32
