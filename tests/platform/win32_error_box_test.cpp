// The error box under Wine, on the display Xvfb gives it: the test finds the box by its caption,
// as the operator sees it, and closes it as the OK button does.

#include "platform/win32/error_box.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>

#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {
namespace {

// The top-level window with `caption`, waiting up to a minute for it; null when none came.
HWND wait_for_window(const std::string& caption) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  for (;;) {
    if (HWND window = FindWindowW(nullptr, wide(caption).c_str()))
      return window;
    if (std::chrono::steady_clock::now() > deadline)
      return nullptr;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

template <typename Done>
bool wait_until(Done done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

TEST(Win32ErrorBox, OneBoxAtATimeTheRestOnTheLogAndTheCallerNeverWaits) {
  std::ostringstream log;
  ErrorBox box(log, false);
  box.show_error("Talvex test", "Printer index out of range.", "`print` row 7");
  HWND window = wait_for_window("Talvex test");
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(box.box_open());
  EXPECT_EQ(log.str(), "");

  // A second failure while the box is open goes to the log only, named by what it interrupted.
  box.show_error("Talvex test", "Lost connection to server during query", "`print` row 8");
  EXPECT_EQ(log.str(), "Talvex test: `print` row 8: Lost connection to server during query\n");

  PostMessageW(window, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(wait_until([&] { return !box.box_open(); }));
  // Closed, the next failure gets a box again.
  box.show_error("Talvex test 2", "Printer index out of range.", "");
  HWND second = wait_for_window("Talvex test 2");
  ASSERT_NE(second, nullptr);
  PostMessageW(second, WM_COMMAND, IDOK, 0);
}

TEST(Win32ErrorBox, ABoxStillOpenWhenTheServiceEndsIsClosedWithIt) {
  std::ostringstream log;
  {
    ErrorBox box(log, false);
    box.show_error("Talvex ending", "Printer index out of range.", "");
    ASSERT_NE(wait_for_window("Talvex ending"), nullptr);
  }
  EXPECT_EQ(FindWindowW(nullptr, L"Talvex ending"), nullptr);
}

}  // namespace
}  // namespace talvex::platform::win32
