#include "platform/win32/status_panel.h"

#include <windows.h>

#include <map>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "platform/panel_design.h"
#include "platform/win32/panel_fonts.h"
#include "platform/win32/program_icon.h"
#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"TalvexStatusPanel";
// Control ids: the position in the design's table, past the ids Windows gives its own buttons.
constexpr int kFirstControlId = 100;

int control_id(std::string_view name) {
  for (std::size_t i = 0; i < std::size(kPanelControls); ++i) {
    if (name == kPanelControls[i].name)
      return kFirstControlId + static_cast<int>(i);
  }
  throw std::logic_error("no control " + std::string(name));
}

const PanelControl* parent_of(const PanelControl& c) {
  if (c.parent == nullptr)
    return nullptr;
  return &kPanelControls[static_cast<std::size_t>(control_id(c.parent) - kFirstControlId)];
}

// Where a control stands in the window: the design places a group's controls within the group.
POINT window_position(const PanelControl& c) {
  POINT at{c.left, c.top};
  for (const PanelControl* p = parent_of(c); p != nullptr; p = parent_of(*p)) {
    at.x += p->left;
    at.y += p->top;
  }
  return at;
}

// The index of the design's control whose colour `c` stands on: itself where the design gives it
// one, else its group; -1 for the window's face.
int coloured_area(const PanelControl& c) {
  for (const PanelControl* p = &c; p != nullptr; p = parent_of(*p)) {
    if (p->background != kNoBackground)
      return control_id(p->name) - kFirstControlId;
  }
  return -1;
}

// The design writes colours as 0xRRGGBB, GDI as 0xBBGGRR.
COLORREF colour_ref(int rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// Room a caption leaves on each side of its control, at 96 dpi: a button's edges and focus
// rectangle; a group box's frame and the indent of its caption.
int caption_margin(ControlKind kind) {
  return kind == ControlKind::GroupBox ? 8 : 4;
}

std::wstring text_of(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

// The window's DPI. GetDpiForWindow came with Windows 10 1607; before it, windows had the system's.
int dpi_of(HWND window) {
  using DpiForWindow = UINT(WINAPI*)(HWND);
  static const auto dpi_for_window = reinterpret_cast<DpiForWindow>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (dpi_for_window != nullptr)
    return static_cast<int>(dpi_for_window(window));
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi;
}

}  // namespace

// The window's messages, with the panel they belong to.
struct PanelEvents {
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* panel = reinterpret_cast<StatusPanel*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(l);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (panel != nullptr && message == WM_COMMAND && HIWORD(w) == BN_CLICKED) {
      const int id = LOWORD(w);
      for (std::size_t i = 0; i < kPanelButtonNames.size(); ++i) {
        if (id == control_id(kPanelButtonNames[i]) && panel->buttons_[i])
          panel->buttons_[i]();
      }
      return 0;
    } else if (panel != nullptr && message == WM_ERASEBKGND) {
      // Also what a themed control's rounded corners show, drawn through this on its own DC.
      panel->paint_background(reinterpret_cast<HDC>(w));
      return 1;
    } else if (panel != nullptr && (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN)) {
      if (HBRUSH brush = panel->background_of(reinterpret_cast<HWND>(l), reinterpret_cast<HDC>(w)))
        return reinterpret_cast<LRESULT>(brush);
    } else if (panel != nullptr && message == WM_DPICHANGED) {
      panel->change_dpi(HIWORD(w), *reinterpret_cast<const RECT*>(l));
      return 0;
    } else if (panel != nullptr && message == WM_CLOSE) {
      DestroyWindow(window);
      return 0;
    } else if (message == WM_QUERYENDSESSION) {
      // The service never holds the session back: a job in hand ends before the next message.
      return TRUE;
    } else if (panel != nullptr && message == WM_ENDSESSION) {
      if (auto handler = w ? std::exchange(panel->session_end_, nullptr) : nullptr)
        handler();
      return 0;
    } else if (panel != nullptr && message == WM_DESTROY) {
      // A close request may come more than once (the button, then the system); the program ends
      // at the first.
      if (auto handler = std::exchange(panel->closed_, nullptr))
        handler();
      return 0;
    }
    return DefWindowProcW(window, message, w, l);
  }
};

StatusPanel::StatusPanel() : width_(kPanelDesignWidth), height_(kPanelDesignHeight) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = PanelEvents::procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = kWindowClass;
  RegisterClassExW(&window_class);  // fails harmlessly when a panel registered it before

  // Borderless, with the taskbar button; shown later, without taking the focus. Its size waits for
  // its DPI, which it has once it is made.
  window_ = CreateWindowExW(WS_EX_APPWINDOW, kWindowClass, wide(kPanelCaption).c_str(), WS_POPUP, 0,
                            0, 0, 0, nullptr, nullptr, instance, this);
  if (window_ == nullptr)
    throw std::runtime_error("cannot make the main window: " + system_error_text(GetLastError()));
  dpi_ = dpi_of(window_);
  fonts_ = std::make_unique<PanelFonts>(dpi_);
  SetWindowPos(window_, nullptr, 0, 0, scaled(width_), scaled(height_),
               SWP_NOZORDER | SWP_NOACTIVATE);
  // The program's picture on the taskbar button and wherever Windows shows the window.
  big_icon_ = program_icon(GetSystemMetrics(SM_CXICON));
  small_icon_ = program_icon(GetSystemMetrics(SM_CXSMICON));
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon_));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_));

  for (std::size_t i = 0; i < std::size(kPanelControls); ++i) {
    const PanelControl& c = kPanelControls[i];
    const wchar_t* window_class_name = L"BUTTON";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD extended = 0;
    switch (c.kind) {
      case ControlKind::GroupBox:
        style |= BS_GROUPBOX;
        break;
      case ControlKind::Button:
        style |= BS_PUSHBUTTON | WS_TABSTOP;
        break;
      case ControlKind::ComboBox:
        window_class_name = L"COMBOBOX";
        style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP;
        break;
      case ControlKind::Label:
        window_class_name = L"STATIC";
        style |= SS_LEFT | SS_NOPREFIX;
        break;
      case ControlKind::ListBox:
        window_class_name = L"LISTBOX";
        style |= LBS_NOINTEGRALHEIGHT | LBS_NOSEL | WS_VSCROLL | WS_HSCROLL;
        extended = WS_EX_CLIENTEDGE;
        break;
    }
    // Placed, and given a font, by lay_out().
    HWND control = CreateWindowExW(
        extended, window_class_name, wide(c.text).c_str(), style, 0, 0, 0, 0, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id(c.name))), instance, nullptr);
    controls_[i] = control;
    if (c.kind == ControlKind::ComboBox) {
      ports_ = control;
      SetWindowTextW(control, wide(c.text).c_str());  // a combo box takes no text at creation
    }
    if (c.kind == ControlKind::ListBox)
      printers_ = control;
    if (c.background != kNoBackground)
      backgrounds_[i] = CreateSolidBrush(colour_ref(c.background));
  }
  for (std::size_t i = 0; i < labels_.size(); ++i)
    labels_[i] = GetDlgItem(window_, control_id(kPanelLabelNames[i]));
  lay_out();
}

StatusPanel::~StatusPanel() {
  closed_ = nullptr;
  if (IsWindow(window_))
    DestroyWindow(window_);
  for (HBRUSH brush : backgrounds_) {
    if (brush != nullptr)
      DeleteObject(brush);
  }
  for (HICON icon : {big_icon_, small_icon_}) {
    if (icon != nullptr)
      DestroyIcon(icon);
  }
}

int StatusPanel::scaled(int design) const {
  return MulDiv(design, dpi_, USER_DEFAULT_SCREEN_DPI);
}

void StatusPanel::lay_out() {
  for (std::size_t i = 0; i < std::size(kPanelControls); ++i) {
    const PanelControl& c = kPanelControls[i];
    HWND control = controls_[i];
    const POINT at = window_position(c);
    const int width = scaled(c.width);
    // A drop-down's height includes its list.
    const int height = scaled(c.kind == ControlKind::ComboBox ? c.height * 8 : c.height);
    // A caption is drawn whole or not at all: where the face standing in for Tahoma is wider than
    // Tahoma, a caption too wide for its control gets a smaller size of it.
    HFONT font = fonts_->text();
    if (c.kind == ControlKind::Button || c.kind == ControlKind::GroupBox)
      font = fonts_->fitting(wide(c.text), width - 2 * scaled(caption_margin(c.kind)));
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowPos(control, nullptr, scaled(at.x), scaled(at.y), width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (c.kind == ControlKind::Label)
      size_label_to_text(control, text_of(control));
    // A list box takes its rows' height from a new font, so the design's height comes after it.
    if (c.kind == ControlKind::ListBox)
      SendMessageW(control, LB_SETITEMHEIGHT, 0, scaled(kPanelListItemHeight));
  }
  // Moved and resized controls would otherwise keep parts of what they drew in the old layout.
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void StatusPanel::change_dpi(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  // The controls keep their old fonts until lay_out() has given them new ones.
  std::unique_ptr<PanelFonts> old_fonts = std::exchange(fonts_, std::make_unique<PanelFonts>(dpi));
  SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  lay_out();
}

void StatusPanel::paint_background(HDC dc) const {
  RECT client{};
  GetClientRect(window_, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  // In the design's order, so a later group covers an earlier one where they overlap.
  for (std::size_t i = 0; i < std::size(kPanelControls); ++i) {
    if (backgrounds_[i] == nullptr)
      continue;
    const PanelControl& c = kPanelControls[i];
    const POINT at = window_position(c);
    const RECT group{scaled(at.x), scaled(at.y), scaled(at.x) + scaled(c.width),
                     scaled(at.y) + scaled(c.height)};
    FillRect(dc, &group, backgrounds_[i]);
  }
}

HBRUSH StatusPanel::background_of(HWND control, HDC dc) const {
  const int id = GetDlgCtrlID(control);
  if (GetParent(control) != window_ || id < kFirstControlId ||
      id >= kFirstControlId + static_cast<int>(std::size(kPanelControls)))
    return nullptr;
  const std::size_t index = static_cast<std::size_t>(id - kFirstControlId);
  const PanelControl& c = kPanelControls[index];
  // The chooser and the list keep their white fields.
  if (c.kind != ControlKind::Label && c.kind != ControlKind::GroupBox &&
      c.kind != ControlKind::Button)
    return nullptr;
  const int area = coloured_area(c);
  if (area < 0)
    return nullptr;
  const auto at = static_cast<std::size_t>(area);
  SetBkColor(dc, colour_ref(kPanelControls[at].background));
  return backgrounds_[at];
}

void StatusPanel::size_label_to_text(HWND__* label, const std::wstring& text) {
  HDC dc = GetDC(label);
  HGDIOBJ before =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, before);
  ReleaseDC(label, dc);
  SetWindowPos(label, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void StatusPanel::set_label(PanelLabel which, const std::string& text) {
  HWND label = labels_.at(static_cast<std::size_t>(which));
  // Sized first: a label draws its new text at once, in the size it has, and a resize after
  // would draw only the part it uncovers.
  const std::wstring shown = wide(text);
  size_label_to_text(label, shown);
  SetWindowTextW(label, shown.c_str());
}

void StatusPanel::add_port(const std::string& entry) {
  // The chooser keeps its text until the operator changes it.
  SendMessageW(ports_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(entry).c_str()));
}

std::string StatusPanel::port_text() const {
  return utf8(text_of(ports_));
}

void StatusPanel::clear_printer_list() {
  SendMessageW(printers_, LB_RESETCONTENT, 0, 0);
}

void StatusPanel::add_printer_line(const std::string& line) {
  SendMessageW(printers_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(line).c_str()));
}

void StatusPanel::set_size(int width, int height) {
  width_ = width;
  height_ = height;
  if (started_)
    apply_size();
}

void StatusPanel::apply_size() {
  if (width_ <= 0 || height_ <= 0) {
    ShowWindow(window_, SW_HIDE);
    return;
  }
  SetWindowPos(window_, nullptr, 0, 0, scaled(width_), scaled(height_),
               SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(window_, SW_SHOWNOACTIVATE);
}

void StatusPanel::close() {
  PostMessageW(window_, WM_CLOSE, 0, 0);
}

void StatusPanel::on_button(PanelButton which, std::function<void()> handler) {
  buttons_.at(static_cast<std::size_t>(which)) = std::move(handler);
}

void StatusPanel::on_closed(std::function<void()> handler) {
  closed_ = std::move(handler);
}

void StatusPanel::on_session_end(std::function<void()> handler) {
  session_end_ = std::move(handler);
}

void StatusPanel::show_window() {
  started_ = true;
  apply_size();
}

}  // namespace talvex::platform::win32
