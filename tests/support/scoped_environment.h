#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace talvex::testing {

// Environment variables of the test process, and so of the programs it starts, set or removed for
// one scope and restored afterwards.
class ScopedEnvironment {
 public:
  ScopedEnvironment(std::initializer_list<std::pair<const char*, std::string>> values,
                    std::initializer_list<const char*> removed = {}) {
    for (const auto& [name, value] : values) {
      save(name);
      setenv(name, value.c_str(), 1);
    }
    for (const char* name : removed) {
      save(name);
      unsetenv(name);
    }
  }
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value)
        setenv(name, value->c_str(), 1);
      else
        unsetenv(name);
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  void save(const char* name) {
    const char* old = std::getenv(name);
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
  }

  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

}  // namespace talvex::testing
