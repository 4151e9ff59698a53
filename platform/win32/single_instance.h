#pragma once

#include <string>

namespace talvex::platform::win32 {

// A lock that only one process of the computer holds for a given key, whichever user's session it
// runs in: a named mutex in the global namespace, named after the key, that every user may open.
// Windows releases it when the object goes or the process ends, however it ends.
class SingleInstance final {
 public:
  enum class Result { Acquired, HeldByAnother, Unavailable };

  explicit SingleInstance(const std::string& key);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Takes the lock without waiting. HeldByAnother when the mutex exists, also when this user may
  // not open it; Unavailable when it cannot be made at all (the name is taken by an object of
  // another kind): error() says why.
  Result acquire();
  // The process that holds the lock: Windows does not tell, so always 0.
  long long holder() const { return 0; }
  // The mutex's name: Global\talvex- and the key's hash in hex.
  std::string path() const { return name_; }
  std::string error() const { return error_; }

 private:
  std::string name_;
  void* mutex_ = nullptr;  // its handle once made
  std::string error_;
};

}  // namespace talvex::platform::win32
