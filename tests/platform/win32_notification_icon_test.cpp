// The notification icon under Wine, on the display Xvfb gives it: Wine's Explorer keeps a
// notification area there, which answers Shell_NotifyIconW as Windows' does.

#include "platform/win32/notification_icon.h"

#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/program_icon.h"
#include "tests/support/win32_dispatch.h"

namespace talvex::platform::win32 {
namespace {

// Whether the notification area has the icon of `window`: only an icon it has can be modified.
bool area_has_icon(HWND window) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = NotificationIcon::kIconId;
  data.uFlags = NIF_TIP;
  lstrcpynW(data.szTip, L"probe", 64);
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

TEST(Win32NotificationIcon, IsInTheAreaFromShowAndAgainAfterExplorerRestarts) {
  NotificationIcon icon("ДРАЙВЕР TALVEX");
  ASSERT_TRUE(icon.available());
  HWND window = icon.window();
  EXPECT_FALSE(area_has_icon(window));
  icon.show();
  EXPECT_TRUE(area_has_icon(window));

  // A restarted Explorer has lost every icon and announces itself to the top-level windows.
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = NotificationIcon::kIconId;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
  EXPECT_FALSE(area_has_icon(window));
  SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0,
                      SMTO_ABORTIFHUNG, 5000, nullptr);
  EXPECT_TRUE(area_has_icon(window));
}

// A notification area that the test opens and closes: while closed it is not there and refuses
// every icon.
class FakeArea final : public NotificationArea {
 public:
  bool present() const override { return open; }
  bool notify(unsigned long message, NOTIFYICONDATAW& data) override {
    if (message == NIM_ADD)
      ++adds_asked;
    if (message == NIM_SETVERSION && open)
      version = data.uVersion;
    if (message == NIM_ADD && refusals > 0) {
      --refusals;
      return false;
    }
    // Only an icon it has can be modified.
    if (message == NIM_MODIFY)
      return open && has_icon;
    if (message == NIM_ADD && open)
      has_icon = true;
    return open;
  }

  bool open = true;
  int refusals = 0;  // how many more NIM_ADD it refuses while open
  int adds_asked = 0;
  bool has_icon = false;
  unsigned version = 0;
};

TEST(Win32NotificationIcon, ARefusedIconIsOfferedAgainUntilTheAreaTakesIt) {
  FakeArea area;
  area.refusals = 2;
  NotificationIcon icon("Talvex", area);
  icon.show();
  EXPECT_FALSE(icon.in_area());
  ASSERT_TRUE(testing::dispatch_until([&] { return icon.in_area(); }, std::chrono::minutes(1)));
  EXPECT_EQ(area.adds_asked, 3);
  // The icon asks for the messages of version 4, which carry the keyboard's selection.
  EXPECT_EQ(area.version, static_cast<unsigned>(NOTIFYICON_VERSION_4));
}

TEST(Win32NotificationIcon, AnAreaThatAppearsLaterGetsTheIconAtOnce) {
  FakeArea area;
  area.open = false;
  NotificationIcon icon("Talvex", area);
  EXPECT_FALSE(icon.available());
  icon.show();
  EXPECT_FALSE(icon.in_area());
  // The taskbar starts and announces itself, before the next retry is due.
  area.open = true;
  SendMessageW(icon.window(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(icon.in_area());
}

// The icons that Wine's notification area shows, each a window of its own in the area's window
// (Wine without a desktop of its own keeps a small tray window on the screen).
std::vector<HWND> shown_icons() {
  std::vector<HWND> icons;
  HWND area = FindWindowW(L"__winex11_standalone_tray", nullptr);
  for (HWND icon = FindWindowExW(area, nullptr, L"__winex11_tray_icon", nullptr); icon != nullptr;
       icon = FindWindowExW(area, icon, L"__winex11_tray_icon", nullptr))
    icons.push_back(icon);
  return icons;
}

// Dispatches this thread's messages until `done` holds, for up to a minute.
template <typename Done>
bool dispatch_until(Done done) {
  return testing::dispatch_until(done, std::chrono::minutes(1));
}

// A click on the icon in Wine's notification area reaches the handler through the area.
TEST(Win32NotificationIcon, AClickInTheAreaCallsTheHandler) {
  const std::size_t before = shown_icons().size();
  {
    NotificationIcon icon("Talvex");
    int clicks = 0;
    icon.on_click([&] { ++clicks; });
    icon.show();
    const std::vector<HWND> icons = shown_icons();
    ASSERT_EQ(icons.size(), before + 1);
    PostMessageW(icons.back(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    PostMessageW(icons.back(), WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    EXPECT_TRUE(dispatch_until([&] { return clicks == 1; }));
  }
  EXPECT_EQ(shown_icons().size(), before);
}

struct ClickCase {
  const char* name;
  std::vector<UINT> events;  // the mouse messages the notification area reports, in order
  int clicks;
};

class Win32NotificationIconClicks : public ::testing::TestWithParam<ClickCase> {};

TEST_P(Win32NotificationIconClicks, AClickOrADoubleClickIsOneClick) {
  NotificationIcon icon("Talvex");
  int clicks = 0;
  icon.on_click([&] { ++clicks; });
  // As the area reports them to an icon of version 4: the event, and the icon's id above it.
  for (const UINT event : GetParam().events)
    SendMessageW(icon.window(), NotificationIcon::kIconMessage, 0,
                 MAKELPARAM(event, NotificationIcon::kIconId));
  EXPECT_EQ(clicks, GetParam().clicks);
}

INSTANTIATE_TEST_SUITE_P(
    Mouse, Win32NotificationIconClicks,
    ::testing::Values(
        ClickCase{"Click", {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}, 1},
        ClickCase{"DoubleClick", {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}, 1},
        ClickCase{"DoubleClickAlone", {WM_LBUTTONDBLCLK, WM_LBUTTONUP}, 1},
        ClickCase{"TwoClicks", {WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONUP}, 2},
        ClickCase{"DoubleClickAfterAnotherButton", {WM_RBUTTONUP, WM_LBUTTONDBLCLK}, 1},
        ClickCase{"OtherButtons", {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONUP, WM_MOUSEMOVE}, 0},
        ClickCase{"Keyboard", {NIN_KEYSELECT}, 1},
        ClickCase{"MouseSelectionAfterItsClick", {WM_LBUTTONUP, NIN_SELECT}, 1}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

// The icon's pixels, top row first, as 0xAARRGGBB.
std::vector<std::uint32_t> pixels_of(HICON icon, int size) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info))
    return {};
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = size;
  format.bmiHeader.biHeight = -size;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size * size));
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, info.hbmColor, 0, static_cast<UINT>(size), pixels.data(),
                             &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  if (rows != size)
    return {};
  return pixels;
}

int bitmap_width(HICON icon) {
  ICONINFO info{};
  GetIconInfo(icon, &info);
  BITMAP bitmap{};
  GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

// Points of the 64-unit grid inside each shape, away from its outlines, and the colour there.
struct Sample {
  const char* where;
  int x;
  int y;
  std::uint32_t argb;
};

constexpr Sample kSamples[] = {
    {"outside", 1, 1, 0x00000000},       {"paper roll", 32, 10, 0xFFFAFAFA},
    {"printer body", 7, 30, 0xFF455A64}, {"green light", 52, 26, 0xFF66BB6A},
    {"print line", 30, 44, 0xFF263238},  {"receipt", 46, 46, 0xFFFAFAFA},
    {"outline", 3, 31, 0xFF263238}};

TEST(Win32ProgramIcon, IsTheDesignsPictureAtEverySize) {
  HICON big = draw_program_icon(64);
  ASSERT_NE(big, nullptr);
  const std::vector<std::uint32_t> pixels = pixels_of(big, 64);
  ASSERT_EQ(pixels.size(), 64u * 64u);
  for (const Sample& s : kSamples) {
    const std::uint32_t pixel = pixels[static_cast<std::size_t>(s.y * 64 + s.x)];
    // Fully transparent pixels carry no colour worth comparing.
    const std::uint32_t seen = (pixel >> 24) == 0 ? 0 : pixel;
    for (const int shift : {0, 8, 16, 24}) {
      const int got = static_cast<int>((seen >> shift) & 0xFF);
      const int want = static_cast<int>((s.argb >> shift) & 0xFF);
      EXPECT_NEAR(got, want, 3) << s.where << std::hex << " 0x" << pixel;
    }
  }
  DestroyIcon(big);

  const int small_size = GetSystemMetrics(SM_CXSMICON);
  HICON small = draw_program_icon(small_size);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(bitmap_width(small), small_size);
  DestroyIcon(small);
}

}  // namespace
}  // namespace talvex::platform::win32
