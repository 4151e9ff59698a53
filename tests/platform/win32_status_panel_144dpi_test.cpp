// The status panel on a display of 144 dpi (the test's Wine prefix says so): every size of the
// 96-dpi design, and the font, one and a half times as large.

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/status_panel.h"
#include "tests/platform/win32_panel_view.h"

namespace talvex::platform::win32 {
namespace {

TEST(Win32StatusPanelAt144Dpi, ScalesTheDesignByTheDpi) {
  StatusPanel panel;
  HWND window = panel.window();
  ASSERT_EQ(GetDpiForWindow(window), 144u) << "the Wine prefix's LogPixels did not take";
  // Hidden, at the design's size.
  RECT bounds{};
  GetWindowRect(window, &bounds);
  EXPECT_EQ(bounds.right - bounds.left, 1185);
  EXPECT_EQ(bounds.bottom - bounds.top, 845);

  panel.set_size(330, 350);
  panel.show_window();
  run_pending_messages();
  GetWindowRect(window, &bounds);
  EXPECT_EQ(bounds.left, 0);
  EXPECT_EQ(bounds.top, 0);
  EXPECT_EQ(bounds.right - bounds.left, 495);
  EXPECT_EQ(bounds.bottom - bounds.top, 525);

  // OK stands at (248, 87) in the window at design, 75 x 25: each rounded as MulDiv rounds.
  HWND ok = control(window, L"Button", "OK");
  ASSERT_NE(ok, nullptr);
  const RECT ok_place = place_in(window, ok);
  EXPECT_EQ(ok_place.left, 372);
  EXPECT_EQ(ok_place.top, 131);
  EXPECT_EQ(ok_place.right - ok_place.left, 113);
  EXPECT_EQ(ok_place.bottom - ok_place.top, 38);

  // Tahoma 8 pt: 11 pixels at 96 dpi, 17 (16.5 rounded) at 144.
  HWND label = FindWindowExW(window, nullptr, L"Static", nullptr);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(font_of(label).lfHeight, -17);
  EXPECT_EQ(font_of(ok).lfHeight, -17);
  // The printer list's rows: 13 pixels at design, 20 (19.5 rounded) here.
  HWND list = FindWindowExW(window, nullptr, L"ListBox", nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), 20);
}

}  // namespace
}  // namespace talvex::platform::win32
