#pragma once

#include <QLockFile>

#include <string>

namespace talvex::platform::qt {

// A lock that only one process of the user holds for a given key: a lock file in the user's
// runtime folder ($XDG_RUNTIME_DIR on Linux), named after the key. The lock is released when the
// object goes, and a lock file left by a process that has ended does not count.
class SingleInstance final {
 public:
  enum class Result { Acquired, HeldByAnother, Unavailable };

  explicit SingleInstance(const std::string& key);
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Takes the lock without waiting. Unavailable when the lock file cannot be made at all (no
  // runtime folder, no permission): error() says why.
  Result acquire();
  // The process that holds the lock, after HeldByAnother; 0 when it cannot be told.
  long long holder() const;
  std::string path() const { return path_; }
  std::string error() const;

 private:
  std::string path_;
  QLockFile lock_;
};

}  // namespace talvex::platform::qt
