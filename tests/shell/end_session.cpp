// A Windows helper of the tests: ends the Windows session for Talvex as Windows does, sending its
// window WM_QUERYENDSESSION and, once that is answered yes, WM_ENDSESSION. It writes "asked" to
// its standard output as soon as the first message waits in Talvex's queue, so that a test knows
// the request is there before Talvex can answer it (Wine's own wineboot --end-session gives no
// such sign). Exit code 0 when both were answered, 1 when the window or an answer did not come
// within a minute, 2 when Talvex held the session back.

#include <windows.h>

#include <cstdio>

#include "tests/support/win32_dispatch.h"

namespace {

constexpr DWORD kWaitMs = 60000;

struct Answer {
  bool given = false;
  LRESULT result = 0;
};

void CALLBACK answered(HWND, UINT, ULONG_PTR data, LRESULT result) {
  auto* answer = reinterpret_cast<Answer*>(data);
  answer->given = true;
  answer->result = result;
}

// Sends `message` and dispatches this thread's messages, through which the answer comes, until it
// has come or the window is gone.
bool send_and_wait(HWND window, UINT message, WPARAM w, Answer& answer, const char* said) {
  if (!SendMessageCallbackW(window, message, w, 0, answered, reinterpret_cast<ULONG_PTR>(&answer)))
    return false;
  if (said != nullptr) {
    std::puts(said);
    std::fflush(stdout);
  }
  return talvex::testing::dispatch_until([&] { return answer.given || !IsWindow(window); },
                                         std::chrono::milliseconds(kWaitMs));
}

}  // namespace

int main() {
  HWND window = nullptr;
  for (const DWORD started = GetTickCount(); window == nullptr; Sleep(50)) {
    window = FindWindowW(nullptr, L"ДРАЙВЕР TALVEX");
    if (window == nullptr && GetTickCount() - started > kWaitMs)
      return 1;
  }
  Answer query;
  if (!send_and_wait(window, WM_QUERYENDSESSION, 0, query, "asked"))
    return 1;
  if (query.given && query.result == FALSE)
    return 2;
  Answer end;
  return send_and_wait(window, WM_ENDSESSION, TRUE, end, nullptr) ? 0 : 1;
}
