#pragma once

#include <string>

namespace talvex::testing {

// A new folder of the test's own under $TMPDIR (or /tmp), removed with everything in it at
// destruction.
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace talvex::testing
