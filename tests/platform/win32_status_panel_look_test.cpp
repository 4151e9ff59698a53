// How the status panel looks at the DPI of the display it runs on: its captions whole, its group
// boxes in their colours. Built into a program for each DPI the tests' Wine prefixes have.

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/status_panel.h"
#include "tests/platform/win32_panel_view.h"

namespace talvex::platform::win32 {
namespace {

class Win32StatusPanelLook : public ::testing::Test {
 protected:
  void SetUp() override {
    panel_.set_size(330, 350);
    panel_.show_window();
    run_pending_messages();
  }
  StatusPanel panel_;
};

TEST_F(Win32StatusPanelLook, EveryCaptionFitsItsControl) {
  expect_captions_fit(panel_.window(), static_cast<int>(GetDpiForWindow(panel_.window())));
}

TEST_F(Win32StatusPanelLook, GroupBoxesShowTheirColours) {
  expect_group_colours(panel_.window(), static_cast<int>(GetDpiForWindow(panel_.window())));
}

}  // namespace
}  // namespace talvex::platform::win32
