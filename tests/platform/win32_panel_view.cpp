#include "tests/platform/win32_panel_view.h"

#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {

void run_pending_messages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
    DispatchMessageW(&message);
}

HWND control(HWND panel, const wchar_t* kind, const std::string& text) {
  return FindWindowExW(panel, nullptr, kind, wide(text).c_str());
}

RECT place_in(HWND panel, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, panel, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

LOGFONTW font_of(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
             &font);
  return font;
}

}  // namespace talvex::platform::win32
