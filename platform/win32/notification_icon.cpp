#include "platform/win32/notification_icon.h"

#include <windows.h>

#include <shellapi.h>

#include <stdexcept>
#include <utility>

#include "platform/win32/program_icon.h"
#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"TalvexNotificationIcon";
constexpr UINT_PTR kRetryTimer = 1;
static_assert(NotificationIcon::kIconMessage == WM_APP + 1);

NOTIFYICONDATAW icon_data(HWND window) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = NotificationIcon::kIconId;
  return data;
}

}  // namespace

// The hidden window's messages, with the icon they belong to.
struct NotificationIconEvents {
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* icon = reinterpret_cast<NotificationIcon*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(l);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (icon != nullptr && message == NotificationIcon::kIconMessage) {
      // Version 4 of the icon's messages: the event in the low word, the icon in the high one.
      icon->mouse(LOWORD(l));
      return 0;
    } else if (icon != nullptr && message == icon->taskbar_created_) {
      // A notification area appeared, or Explorer restarted with an empty one.
      if (icon->shown_) {
        icon->added_ = false;
        icon->add();
      }
      return 0;
    } else if (icon != nullptr && message == WM_TIMER && w == kRetryTimer) {
      icon->add();
      return 0;
    }
    return DefWindowProcW(window, message, w, l);
  }
};

bool NotificationArea::present() const {
  return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
}

bool NotificationArea::notify(unsigned long message, NOTIFYICONDATAW& data) {
  return Shell_NotifyIconW(message, &data) != FALSE;
}

NotificationArea& NotificationArea::system() {
  static NotificationArea area;
  return area;
}

NotificationIcon::NotificationIcon(const std::string& tooltip, NotificationArea& area)
    : area_(area),
      tooltip_(wide(tooltip)),
      taskbar_created_(RegisterWindowMessageW(L"TaskbarCreated")) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = NotificationIconEvents::procedure;
  window_class.hInstance = instance;
  window_class.lpszClassName = kWindowClass;
  RegisterClassExW(&window_class);  // fails harmlessly when an icon registered it before
  // A top-level window that is never shown rather than a message-only one: Explorer announces its
  // restart to top-level windows only.
  window_ =
      CreateWindowExW(0, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, this);
  if (window_ == nullptr)
    throw std::runtime_error("cannot make the notification icon's window: " +
                             system_error_text(GetLastError()));
  icon_ = program_icon(GetSystemMetrics(SM_CXSMICON));
}

NotificationIcon::~NotificationIcon() {
  if (added_) {
    NOTIFYICONDATAW data = icon_data(window_);
    area_.notify(NIM_DELETE, data);
  }
  DestroyWindow(window_);
  if (icon_ != nullptr)
    DestroyIcon(icon_);
}

void NotificationIcon::show() {
  shown_ = true;
  add();
}

void NotificationIcon::on_click(std::function<void()> clicked) {
  clicked_ = std::move(clicked);
}

void NotificationIcon::add() {
  if (added_) {
    KillTimer(window_, kRetryTimer);
    return;
  }
  NOTIFYICONDATAW data = icon_data(window_);
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
  data.uCallbackMessage = kIconMessage;
  data.hIcon = icon_;
  // The tooltip holds 127 characters; a longer title is cut.
  lstrcpynW(data.szTip, tooltip_.c_str(), static_cast<int>(std::size(data.szTip)));
  // An icon that the area still has (a second TaskbarCreated) is only updated.
  added_ = area_.notify(NIM_ADD, data) || area_.notify(NIM_MODIFY, data);
  if (!added_) {
    // Tried again until the area takes it; a timer that runs already is only reset.
    SetTimer(window_, kRetryTimer, kRetryMs, nullptr);
    return;
  }
  KillTimer(window_, kRetryTimer);
  // Version 4: the keyboard's selection of the icon (NIN_KEYSELECT) comes as well as the mouse.
  data.uVersion = NOTIFYICON_VERSION_4;
  area_.notify(NIM_SETVERSION, data);
}

void NotificationIcon::mouse(unsigned event) {
  Activation now = Activation::None;
  switch (event) {
    case WM_LBUTTONUP:
      // Windows follows a double click with the button's release, which is no click of its own.
      if (std::exchange(release_ends_double_click_, false))
        return;
      now = Activation::Click;
      break;
    case WM_LBUTTONDBLCLK:
      release_ends_double_click_ = true;
      now = Activation::DoubleClick;
      break;
    case NIN_KEYSELECT:
      // Enter or the space bar on the icon: a click of the keyboard's.
      now = Activation::Click;
      break;
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      now = Activation::Other;
      break;
    default:
      return;
  }
  const Activation previous = std::exchange(last_, now);
  // A double click comes after the click of its first press; only a double click that came alone
  // still needs its click.
  const bool click =
      now == Activation::Click || (now == Activation::DoubleClick && previous != Activation::Click);
  if (click && clicked_)
    clicked_();
}

}  // namespace talvex::platform::win32
