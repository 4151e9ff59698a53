#include "platform/win32/single_instance.h"

#include <windows.h>

#include <sddl.h>

#include <cstdint>
#include <cstdio>

#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {
namespace {

// What the mutex lets everyone do: open it, which is all a second service does to find it taken,
// and wait on it or release it (SYNCHRONIZE | MUTEX_MODIFY_STATE); nothing that changes its
// security. SYSTEM and the administrators may do anything with it. The low mandatory label lets a
// process of any integrity level open it, so that a service started elevated does not hide from
// one started at the usual level. Without a DACL of its own the mutex would get its creator's
// default one, which no other user can open.
constexpr wchar_t kMutexSecurity[] =
    L"D:(A;;0x00100001;;;WD)(A;;GA;;;SY)(A;;GA;;;BA)S:(ML;;NW;;;LW)";
// A service asks for no more than everyone may have, so that another user's service opening the
// mutex learns that it exists instead of being refused.
constexpr DWORD kMutexAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

// The key may hold anything (a host name, a database name, backslashes); the mutex is named after
// its 64-bit FNV-1a hash, the same in every build, in the namespace that all sessions share, so
// that a second user's service on the same database finds the first.
std::string mutex_name(const std::string& key) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (const char c : key) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ULL;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return std::string("Global\\talvex-") + text;
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
  PSECURITY_DESCRIPTOR security = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kMutexSecurity, SDDL_REVISION_1,
                                                            &security, nullptr)) {
    error_ =
        "cannot make the security of the mutex " + name_ + ": " + system_error_text(GetLastError());
    return Result::Unavailable;
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, security, FALSE};
  HANDLE mutex = CreateMutexExW(&attributes, wide(name_).c_str(), 0, kMutexAccess);
  const DWORD error = GetLastError();
  LocalFree(security);
  if (mutex == nullptr) {
    // A mutex of that name that this user may not open: a service of another user made it, with
    // security that does not let everyone in (another version's, or one that an administrator
    // tightened). The database is served all the same.
    if (error == ERROR_ACCESS_DENIED) {
      error_ = "held by a process that this user may not open";
      return Result::HeldByAnother;
    }
    error_ = "cannot create the mutex " + name_ + ": " + system_error_text(error);
    return Result::Unavailable;
  }
  // Another process made it first: it is that process's for as long as it runs.
  if (error == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    error_ = "held by another process";
    return Result::HeldByAnother;
  }
  mutex_ = mutex;
  error_.clear();
  return Result::Acquired;
}

}  // namespace talvex::platform::win32
