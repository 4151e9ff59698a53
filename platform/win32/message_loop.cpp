#include "platform/win32/message_loop.h"

#include <windows.h>

namespace talvex::platform::win32 {

int run_message_loop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

void end_message_loop(int code) {
  PostQuitMessage(code);
}

}  // namespace talvex::platform::win32
