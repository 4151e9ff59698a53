#pragma once

// The status panel's window read back through the Windows API, as the operator's screen shows it:
// its controls, where they stand and the fonts they draw with.

#include <windows.h>

#include <string>

namespace talvex::platform::win32 {

// Handles the messages waiting for this thread's windows.
void run_pending_messages();

// A control of the panel by its class and text; nullptr when there is none.
HWND control(HWND panel, const wchar_t* kind, const std::string& text);
// Where a control stands in the panel's client area.
RECT place_in(HWND panel, HWND child);
// The LOGFONT of the font a control draws with.
LOGFONTW font_of(HWND control);

}  // namespace talvex::platform::win32
