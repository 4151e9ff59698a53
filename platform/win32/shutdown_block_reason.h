#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

#include "platform/busy_notice.h"

struct HWND__;

namespace talvex::platform::win32 {

// Tells Windows why the session should wait while the service is busy: a reason on the main
// window (ShutdownBlockReasonCreate), which Windows shows beside the program when a shutdown or a
// log-off finds it still at work, withdrawn when the work is done (ShutdownBlockReasonDestroy).
// Called on the thread that made the window, as Windows requires. The first time Windows refuses,
// the refusal is written to `log`; printing goes on either way.
class ShutdownBlockReason final : public BusyNotice {
 public:
  // The two calls to Windows, each answering 0 or the system's error code. Tests put recorders in
  // their place.
  struct Calls {
    std::function<unsigned long(HWND__* window, const std::wstring& reason)> create;
    std::function<unsigned long(HWND__* window)> destroy;
  };
  static Calls system_calls();

  ShutdownBlockReason(HWND__* window, std::ostream& log, Calls calls = system_calls());
  ShutdownBlockReason(const ShutdownBlockReason&) = delete;
  ShutdownBlockReason& operator=(const ShutdownBlockReason&) = delete;

  void begin(std::string_view reason) override;
  void end() override;

 private:
  void tell_refusal(const char* what, unsigned long error);

  HWND__* window_;
  std::ostream& log_;
  Calls calls_;
  int depth_ = 0;      // begun pairs not yet ended
  bool set_ = false;   // Windows holds the reason
  bool told_ = false;  // a refusal has been written to the log
};

}  // namespace talvex::platform::win32
