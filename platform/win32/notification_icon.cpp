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
      icon->mouse(static_cast<unsigned>(l));
      return 0;
    } else if (icon != nullptr && message == icon->taskbar_created_) {
      // Explorer restarted with an empty notification area.
      if (icon->shown_)
        icon->add();
      return 0;
    }
    return DefWindowProcW(window, message, w, l);
  }
};

NotificationIcon::NotificationIcon(const std::string& tooltip)
    : tooltip_(wide(tooltip)), taskbar_created_(RegisterWindowMessageW(L"TaskbarCreated")) {
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
  if (shown_) {
    NOTIFYICONDATAW data = icon_data(window_);
    Shell_NotifyIconW(NIM_DELETE, &data);
  }
  DestroyWindow(window_);
  if (icon_ != nullptr)
    DestroyIcon(icon_);
}

bool NotificationIcon::available() {
  return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
}

void NotificationIcon::show() {
  shown_ = true;
  add();
}

void NotificationIcon::on_click(std::function<void()> clicked) {
  clicked_ = std::move(clicked);
}

void NotificationIcon::add() {
  NOTIFYICONDATAW data = icon_data(window_);
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kIconMessage;
  data.hIcon = icon_;
  // The tooltip holds 127 characters; a longer title is cut.
  lstrcpynW(data.szTip, tooltip_.c_str(), static_cast<int>(std::size(data.szTip)));
  // An icon that the area still has (a second TaskbarCreated) is only updated.
  if (!Shell_NotifyIconW(NIM_ADD, &data))
    Shell_NotifyIconW(NIM_MODIFY, &data);
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
