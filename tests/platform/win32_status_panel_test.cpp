// The status panel as a Win32 window under Wine, on the display Xvfb gives it: read back through
// the Windows API as the operator's screen shows it.

#include "platform/win32/status_panel.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/wide_text.h"
#include "tests/platform/win32_panel_view.h"

namespace talvex::platform::win32 {
namespace {

std::string text_of(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return utf8(text);
}

TEST(Win32StatusPanel, ShowsTheDesignAndAnswersTheService) {
  StatusPanel panel;
  panel.set_size(330, 350);
  panel.show_window();
  run_pending_messages();
  HWND window = panel.window();
  EXPECT_EQ(text_of(window), "ДРАЙВЕР TALVEX");
  EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_TRUE(IsWindowVisible(window));
  RECT bounds{};
  GetWindowRect(window, &bounds);
  EXPECT_EQ(bounds.left, 0);
  EXPECT_EQ(bounds.top, 0);
  EXPECT_EQ(bounds.right - bounds.left, 330);
  EXPECT_EQ(bounds.bottom - bounds.top, 350);

  // The groups' controls stand within their groups: OK at (248, 9) in the group at (0, 78).
  ASSERT_NE(control(window, L"Button", "ТЕСТИРОВАНИЕ ПОРТОВ"), nullptr);
  ASSERT_NE(control(window, L"Button", "ПЕЧАТЬ НА ВЫБРАНЫЙ ПОРТ"), nullptr);
  HWND ok = control(window, L"Button", "OK");
  ASSERT_NE(ok, nullptr);
  const RECT ok_place = place_in(window, ok);
  EXPECT_EQ(ok_place.left, 248);
  EXPECT_EQ(ok_place.top, 87);
  EXPECT_EQ(ok_place.right - ok_place.left, 75);

  // A label shows its text, sized to it.
  panel.set_label(PanelLabel::QueueState, "Нет очереди печати");
  HWND queue_state = control(window, L"Static", "Нет очереди печати");
  ASSERT_NE(queue_state, nullptr);
  EXPECT_GT(place_in(window, queue_state).right - place_in(window, queue_state).left, 31);

  int kassa_clicks = 0;
  panel.on_button(PanelButton::Kassa, [&] { ++kassa_clicks; });
  SendMessageW(control(window, L"Button", "KASSA"), BM_CLICK, 0, 0);
  run_pending_messages();
  EXPECT_EQ(kassa_clicks, 1);

  // The chooser keeps the text it shows while its list fills.
  panel.add_port("0");
  panel.add_port("1");
  panel.add_port("2");
  EXPECT_EQ(panel.port_text(), "1");

  panel.add_printer_line("0 - Kassa-80");
  panel.add_printer_line("1 - bar-58");
  HWND list = FindWindowExW(window, nullptr, L"ListBox", nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
  panel.clear_printer_list();
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 0);

  panel.set_size(0, 0);
  EXPECT_FALSE(IsWindowVisible(window));

  int closed = 0;
  panel.on_closed([&] { ++closed; });
  panel.close();
  run_pending_messages();
  EXPECT_EQ(closed, 1);
  EXPECT_FALSE(IsWindow(window));
}

// How many pixels of `area` in the window a full redraw changes: none, when everything that changed
// has been drawn again.
int stale_pixels(HWND window, const RECT& area) {
  const Picture shown(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  const Picture redrawn(window);
  int stale = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x)
      stale += shown.at(x, y) != redrawn.at(x, y);
  }
  return stale;
}

// A label that grows to a longer text shows the whole text, not what it drew in its old size.
TEST(Win32StatusPanel, ALabelThatGrowsShowsItsWholeText) {
  StatusPanel panel;
  panel.set_size(330, 350);
  panel.show_window();
  run_pending_messages();
  HWND window = panel.window();
  const std::string text = "Есть очередь печати. Принтер 0-KASSA не печатает";
  panel.set_label(PanelLabel::QueueState, text);
  run_pending_messages();
  HWND label = control(window, L"Static", text);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(stale_pixels(window, place_in(window, label)), 0);
}

int text_width(HWND control) {
  wchar_t text[256] = {};
  const int length = GetWindowTextW(control, text, 256);
  HDC dc = GetDC(control);
  const HGDIOBJ before =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text, length, &size);
  SelectObject(dc, before);
  ReleaseDC(control, dc);
  return size.cx;
}

// Moved to a monitor of twice the DPI, the panel goes where Windows suggests and lays itself out at
// twice the design's sizes, and so does every size the service sets afterwards.
TEST(Win32StatusPanel, LaysItselfOutAgainAtTheDpiOfANewMonitor) {
  StatusPanel panel;
  panel.set_size(330, 350);
  panel.show_window();
  run_pending_messages();
  HWND window = panel.window();
  ASSERT_EQ(GetDpiForWindow(window), 96u);
  panel.set_label(PanelLabel::QueueState, "Нет очереди печати");

  RECT suggested{40, 30, 40 + 660, 30 + 700};
  SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  run_pending_messages();
  RECT bounds{};
  GetWindowRect(window, &bounds);
  EXPECT_EQ(bounds.left, 40);
  EXPECT_EQ(bounds.top, 30);
  EXPECT_EQ(bounds.right - bounds.left, 660);
  EXPECT_EQ(bounds.bottom - bounds.top, 700);

  HWND ok = control(window, L"Button", "OK");
  ASSERT_NE(ok, nullptr);
  const RECT ok_place = place_in(window, ok);
  EXPECT_EQ(ok_place.left, 496);
  EXPECT_EQ(ok_place.top, 174);
  EXPECT_EQ(ok_place.right - ok_place.left, 150);
  EXPECT_EQ(ok_place.bottom - ok_place.top, 50);

  // The labels in the font for the new DPI, sized to their texts in it.
  HWND queue_state = control(window, L"Static", "Нет очереди печати");
  ASSERT_NE(queue_state, nullptr);
  EXPECT_EQ(font_of(queue_state).lfHeight, -22);
  const RECT label_place = place_in(window, queue_state);
  EXPECT_EQ(label_place.left, 16);
  EXPECT_EQ(label_place.right - label_place.left, text_width(queue_state));
  HWND list = FindWindowExW(window, nullptr, L"ListBox", nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), 26);
  expect_captions_fit(window, 192);
  expect_group_colours(window, 192);
  // Nothing of the old layout is left on the window.
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(stale_pixels(window, client), 0);

  panel.set_size(330, 350);
  GetWindowRect(window, &bounds);
  EXPECT_EQ(bounds.left, 0);
  EXPECT_EQ(bounds.right - bounds.left, 660);
  EXPECT_EQ(bounds.bottom - bounds.top, 700);
}

}  // namespace
}  // namespace talvex::platform::win32
