#include "platform/win32/ticker.h"

#include <windows.h>

#include <map>
#include <stdexcept>

#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {
namespace {

// A thread's timers without a window carry no data of their own: each is found by its id.
std::map<UINT_PTR, Ticker*>& running() {
  static std::map<UINT_PTR, Ticker*> tickers;
  return tickers;
}

}  // namespace

Ticker::Ticker(std::chrono::milliseconds interval, std::function<void()> tick)
    : interval_(interval), tick_(std::move(tick)) {}

Ticker::~Ticker() {
  if (timer_ == 0)
    return;
  KillTimer(nullptr, timer_);
  running().erase(timer_);
}

void Ticker::start() {
  if (timer_ != 0)
    return;
  const UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(interval_.count()),
                               [](HWND, UINT, UINT_PTR fired, DWORD) {
                                 const auto found = running().find(fired);
                                 if (found != running().end())
                                   found->second->tick_();
                               });
  if (id == 0)
    throw std::runtime_error("cannot start a timer: " + system_error_text(GetLastError()));
  timer_ = id;
  running()[id] = this;
}

}  // namespace talvex::platform::win32
