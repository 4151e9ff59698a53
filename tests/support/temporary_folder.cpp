#include "tests/support/temporary_folder.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

namespace talvex::testing {

TemporaryFolder::TemporaryFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/talvex-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("mkdtemp failed for " + pattern);
  path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace talvex::testing
