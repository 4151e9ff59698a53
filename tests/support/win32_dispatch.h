#pragma once

#include <windows.h>

#include <chrono>

namespace talvex::testing {

// Dispatches this thread's messages one at a time, asking `done` before each, until it holds;
// false when it did not within `limit`. Every wait of a Windows test on its messages has this
// deadline, so that a message that never comes fails the test by name rather than hanging it.
template <typename Done>
bool dispatch_until(Done done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  MSG message;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&message);
    else
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  return true;
}

}  // namespace talvex::testing
