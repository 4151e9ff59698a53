#include <windows.h>

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

#include "tests/support/temporary_folder.h"

namespace talvex::testing {

// Windows has no mkdtemp: a random name in the user's temporary folder, tried until one is new.
TemporaryFolder::TemporaryFolder() {
  wchar_t base[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, base);
  if (length == 0 || length > MAX_PATH)
    throw std::runtime_error("no temporary folder");
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path folder =
        std::filesystem::path(base) / ("talvex-test-" + std::to_string(random()));
    if (CreateDirectoryW(folder.c_str(), nullptr)) {
      const std::u8string name = folder.u8string();
      path_.assign(name.begin(), name.end());
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS)
      break;
  }
  throw std::runtime_error("cannot make a temporary folder");
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(std::u8string(path_.begin(), path_.end())),
                              ignored);
}

}  // namespace talvex::testing
