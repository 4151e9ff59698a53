#include "tests/platform/win32_panel_view.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string_view>

#include "platform/panel_design.h"
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

Picture::Picture(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
  run_pending_messages();
  RECT client{};
  GetClientRect(window, &client);
  width_ = client.right;
  height_ = client.bottom;
  pixels_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));

  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width_;
  format.bmiHeader.biHeight = -height_;  // top row first
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(window);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ before = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width_, height_, screen, 0, 0, SRCCOPY);
  GdiFlush();
  // A 32-bit DIB holds blue, green, red and an unused byte: 0x00RRGGBB as a little-endian word.
  const auto* words = static_cast<const std::uint32_t*>(bits);
  for (std::size_t i = 0; i < pixels_.size(); ++i)
    pixels_[i] = words[i] & 0xFFFFFFu;
  SelectObject(memory, before);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, screen);
}

std::uint32_t Picture::at(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_)
    return 0xFFFFFFFFu;  // no colour a pixel can have
  return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                 static_cast<std::size_t>(x)];
}

std::uint32_t Picture::most_of(const RECT& area) const {
  std::map<std::uint32_t, int> counts;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x)
      ++counts[at(x, y)];
  }
  std::uint32_t most = 0xFFFFFFFFu;
  int most_count = 0;
  for (const auto& [colour, count] : counts) {
    if (count > most_count) {
      most = colour;
      most_count = count;
    }
  }
  return most;
}

namespace {

int caption_width(HDC dc, const LOGFONTW& font, const std::wstring& caption) {
  HFONT made = CreateFontIndirectW(&font);
  const HGDIOBJ before = SelectObject(dc, made);
  SIZE size{};
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
  SelectObject(dc, before);
  DeleteObject(made);
  return size.cx;
}

const PanelControl& design_of(std::string_view name) {
  for (const PanelControl& c : kPanelControls) {
    if (name == c.name)
      return c;
  }
  throw std::logic_error("no control " + std::string(name));
}

}  // namespace

void expect_captions_fit(HWND panel, int dpi) {
  HDC dc = CreateCompatibleDC(nullptr);
  for (const PanelControl& c : kPanelControls) {
    if (c.kind != ControlKind::Button && c.kind != ControlKind::GroupBox)
      continue;
    SCOPED_TRACE(c.name);
    HWND box = control(panel, L"Button", c.text);
    ASSERT_NE(box, nullptr);
    // A button's caption keeps clear of its edges and focus rectangle; a group box's of its frame
    // and of the caption's indent.
    const int margin = MulDiv(c.kind == ControlKind::GroupBox ? 8 : 4, dpi, 96);
    RECT client{};
    GetClientRect(box, &client);
    const int room = client.right - 2 * margin;
    const std::wstring caption = wide(c.text);
    LOGFONTW font = font_of(box);
    EXPECT_LE(caption_width(dc, font, caption), room) << "font " << font.lfHeight;

    // No smaller than it needs to be, and never below 6 pt.
    const int full_height = MulDiv(11, dpi, 96);
    const int height = -font.lfHeight;
    EXPECT_LE(height, full_height);
    EXPECT_GE(height, MulDiv(8, dpi, 96));
    if (height < full_height) {
      font.lfHeight = -(height + 1);
      EXPECT_GT(caption_width(dc, font, caption), room) << "fits at " << height + 1;
    }
  }
  DeleteDC(dc);
}

void expect_group_colours(HWND panel, int dpi) {
  const Picture picture(panel);
  // Places in the window at 96 dpi, within each group and clear of its frame and controls: right
  // of the port group's caption, and below the settings group's buttons.
  struct Spot {
    const char* group;
    int x;
    int y;
  };
  constexpr Spot kSpots[] = {{"portTestGroup", 300, 11}, {"settingsGroup", 290, 200}};
  for (const Spot& spot : kSpots) {
    SCOPED_TRACE(spot.group);
    EXPECT_EQ(picture.at(MulDiv(spot.x, dpi, 96), MulDiv(spot.y, dpi, 96)),
              static_cast<std::uint32_t>(design_of(spot.group).background));
  }
  // The labels stand in the settings group.
  HWND label = FindWindowExW(panel, nullptr, L"Static", nullptr);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(picture.most_of(place_in(panel, label)),
            static_cast<std::uint32_t>(design_of("settingsGroup").background));
}

}  // namespace talvex::platform::win32
