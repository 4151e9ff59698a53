#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace talvex::fuzz {

// Ends the run with `what` on standard error; libFuzzer reports the abort as a crash and keeps the
// input that caused it.
inline void check(bool holds, std::string_view what) {
  if (holds)
    return;
  std::fprintf(stderr, "check failed: %.*s\n", static_cast<int>(what.size()), what.data());
  std::abort();
}

}  // namespace talvex::fuzz
