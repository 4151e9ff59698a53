#include "platform/win32/single_instance.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {
namespace {

// The key may hold anything (a host name, a database name, backslashes); the mutex is named after
// its 64-bit FNV-1a hash, the same in every build, in the session's own namespace so that each
// user has a service of their own.
std::string mutex_name(const std::string& key) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (const char c : key) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ULL;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return std::string("Local\\talvex-") + text;
}

}  // namespace

SingleInstance::SingleInstance(const std::string& key) : name_(mutex_name(key)) {}

SingleInstance::~SingleInstance() {
  if (mutex_ != nullptr)
    CloseHandle(mutex_);
}

SingleInstance::Result SingleInstance::acquire() {
  if (mutex_ != nullptr)
    return Result::Acquired;
  HANDLE mutex = CreateMutexW(nullptr, FALSE, wide(name_).c_str());
  if (mutex == nullptr) {
    error_ = "cannot create the mutex " + name_ + ": " + system_error_text(GetLastError());
    return Result::Unavailable;
  }
  // Another process made it first: it is that process's for as long as it runs.
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    error_ = "held by another process";
    return Result::HeldByAnother;
  }
  mutex_ = mutex;
  error_.clear();
  return Result::Acquired;
}

}  // namespace talvex::platform::win32
