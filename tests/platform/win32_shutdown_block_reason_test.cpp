// The reason Windows is given to hold the session while the service prints: the calls it makes,
// recorded in place of Windows', and the calls to Windows itself on a window of the status panel.

#include "platform/win32/shutdown_block_reason.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/status_panel.h"
#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {
namespace {

// Records each call to Windows as "create <reason>" or "destroy", and answers with the error codes
// the test sets.
struct RecordedCalls {
  ShutdownBlockReason::Calls calls() {
    return {
        [this](HWND window, const std::wstring& reason) {
          EXPECT_EQ(window, expected_window);
          made.push_back(L"create " + reason);
          return create_error;
        },
        [this](HWND window) {
          EXPECT_EQ(window, expected_window);
          made.push_back(L"destroy");
          return destroy_error;
        },
    };
  }

  HWND expected_window = nullptr;
  unsigned long create_error = 0;
  unsigned long destroy_error = 0;
  std::vector<std::wstring> made;
};

// Windows holds one reason per window from the outermost begin to its end; the reason reaches it
// in UTF-16 as the engine wrote it in UTF-8.
TEST(Win32ShutdownBlockReason, HeldFromTheOutermostBeginToItsEnd) {
  StatusPanel panel;
  RecordedCalls windows;
  windows.expected_window = panel.window();
  std::ostringstream log;
  ShutdownBlockReason notice(panel.window(), log, windows.calls());

  enum class Step { Begin, End };
  const struct {
    Step step;
    const char* reason;
    std::vector<std::wstring> made;
  } steps[] = {
      {Step::Begin, "Идет печать документа", {L"create Идет печать документа"}},
      {Step::Begin, "Другая печать", {L"create Идет печать документа"}},
      {Step::End, "", {L"create Идет печать документа"}},
      {Step::End, "", {L"create Идет печать документа", L"destroy"}},
      {Step::End, "", {L"create Идет печать документа", L"destroy"}},  // an end too many
      {Step::Begin, "Печать", {L"create Идет печать документа", L"destroy", L"create Печать"}},
      {Step::End, "", {L"create Идет печать документа", L"destroy", L"create Печать", L"destroy"}},
  };
  int n = 0;
  for (const auto& s : steps) {
    SCOPED_TRACE(++n);
    if (s.step == Step::Begin)
      notice.begin(s.reason);
    else
      notice.end();
    EXPECT_EQ(windows.made, s.made);
  }
  EXPECT_EQ(log.str(), "");
}

// A refusal of Windows is written to the log the first time only, and a reason that Windows did
// not take is not withdrawn.
TEST(Win32ShutdownBlockReason, ARefusalIsToldOnce) {
  const struct {
    const char* name;
    unsigned long create_error;
    unsigned long destroy_error;
    std::vector<std::wstring> made;
    std::string log;
  } cases[] = {
      {"refused reason",
       ERROR_ACCESS_DENIED,
       0,
       {L"create Идет печать документа", L"create Идет печать документа"},
       "Talvex: Windows cannot be told why the session should wait while Talvex prints: " +
           system_error_text(ERROR_ACCESS_DENIED) + "\n"},
      {"refused withdrawal",
       0,
       ERROR_INVALID_WINDOW_HANDLE,
       {L"create Идет печать документа", L"destroy", L"create Идет печать документа", L"destroy"},
       "Talvex: Windows cannot be told that Talvex has stopped printing: " +
           system_error_text(ERROR_INVALID_WINDOW_HANDLE) + "\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StatusPanel panel;
    RecordedCalls windows;
    windows.expected_window = panel.window();
    windows.create_error = c.create_error;
    windows.destroy_error = c.destroy_error;
    std::ostringstream log;
    ShutdownBlockReason notice(panel.window(), log, windows.calls());
    for (int job = 0; job < 2; ++job) {
      notice.begin("Идет печать документа");
      notice.end();
    }
    EXPECT_EQ(windows.made, c.made);
    EXPECT_EQ(log.str(), c.log);
  }
}

// Windows' own calls on the main window. Windows answers ShutdownBlockReasonQuery with the reason
// while it is held; Wine has no such function, and its ShutdownBlockReasonCreate and
// ShutdownBlockReasonDestroy only answer ERROR_CALL_NOT_IMPLEMENTED, which the log then names.
TEST(Win32ShutdownBlockReason, OnTheMainWindow) {
  using Query = BOOL(WINAPI*)(HWND, LPWSTR, DWORD*);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "ShutdownBlockReasonQuery")));
  const auto held = [&](HWND window) {
    wchar_t text[256] = {};
    DWORD size = 256;
    return query(window, text, &size) ? std::wstring(text) : std::wstring(L"(none)");
  };

  StatusPanel panel;
  std::ostringstream log;
  ShutdownBlockReason notice(panel.window(), log);
  notice.begin("Идет печать документа");
  const std::wstring while_printing = query != nullptr ? held(panel.window()) : L"";
  notice.end();
  if (query == nullptr) {
    EXPECT_EQ(log.str(),
              "Talvex: Windows cannot be told why the session should wait while Talvex prints: " +
                  system_error_text(ERROR_CALL_NOT_IMPLEMENTED) + "\n");
    return;
  }
  EXPECT_EQ(while_printing, L"Идет печать документа");
  EXPECT_EQ(held(panel.window()), L"(none)");
  EXPECT_EQ(log.str(), "");
}

}  // namespace
}  // namespace talvex::platform::win32
