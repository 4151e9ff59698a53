#pragma once

#include <string_view>

namespace talvex::platform {

// Tells the system that the program is in the middle of something that the end of the session
// should wait for (a job printing), and why, in words for whoever is ending the session. Each
// begin() is followed by one end(); pairs may nest, and the notice lasts until the outermost pair
// ends. Neither throws: a notice that the system cannot take is told of in the implementation's
// log, and the printing goes on.
class BusyNotice {
 public:
  virtual ~BusyNotice() = default;
  virtual void begin(std::string_view reason) = 0;
  virtual void end() = 0;
};

// For a system whose sessions have nothing to be told: the service on Linux ends with the signal
// the session sends it, and a job in hand ends first.
class NoBusyNotice final : public BusyNotice {
 public:
  void begin(std::string_view) override {}
  void end() override {}
};

inline BusyNotice& no_busy_notice() {
  static NoBusyNotice none;
  return none;
}

// The notice for as long as the scope lives, so that a job that throws ends it too.
class BusyScope final {
 public:
  BusyScope(BusyNotice& notice, std::string_view reason) : notice_(notice) {
    notice_.begin(reason);
  }
  ~BusyScope() { notice_.end(); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  BusyNotice& notice_;
};

}  // namespace talvex::platform
