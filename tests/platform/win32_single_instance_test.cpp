#include "platform/win32/single_instance.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {
namespace {

using Result = SingleInstance::Result;

TEST(Win32SingleInstance, OneHolderPerKeyUntilItGoes) {
  auto first = std::make_unique<SingleInstance>("127.0.0.1:3306/screen");
  ASSERT_EQ(first->acquire(), Result::Acquired) << first->error();
  EXPECT_EQ(first->acquire(), Result::Acquired);  // taken already: still its own

  SingleInstance second("127.0.0.1:3306/screen");
  EXPECT_EQ(second.acquire(), Result::HeldByAnother);
  EXPECT_EQ(second.holder(), 0);

  // Another database is another service; a key with a backslash makes a name all the same.
  SingleInstance other("127.0.0.1:3306/bar\\2");
  EXPECT_EQ(other.acquire(), Result::Acquired) << other.error();

  first.reset();
  EXPECT_EQ(second.acquire(), Result::Acquired) << second.error();
}

// A handle that closes itself.
struct Handle {
  HANDLE h;
  explicit Handle(HANDLE handle) : h(handle) {}
  ~Handle() {
    if (h != nullptr)
      CloseHandle(h);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
};

// Services of every user's session on one computer find each other: the name is in the namespace
// the sessions share, and the same in every build (another version's service is found too).
TEST(Win32SingleInstance, NamedInTheNamespaceOfAllSessions) {
  const std::wstring global = L"Global\\talvex-9639091f2e9fa521";
  {
    SingleInstance instance("127.0.0.1:3306/screen");
    EXPECT_EQ(instance.path(), utf8(global));
    ASSERT_EQ(instance.acquire(), Result::Acquired) << instance.error();
    const Handle opened(OpenMutexW(SYNCHRONIZE, FALSE, global.c_str()));
    EXPECT_NE(opened.h, nullptr) << system_error_text(GetLastError());
    // Wine too keeps each session's namespace apart from the global one.
    const Handle session(OpenMutexW(SYNCHRONIZE, FALSE, L"Local\\talvex-9639091f2e9fa521"));
    EXPECT_EQ(session.h, nullptr);
  }
  const Handle released(OpenMutexW(SYNCHRONIZE, FALSE, global.c_str()));
  EXPECT_EQ(released.h, nullptr);
}

// The access that the mutex's DACL allows a SID through its allowing entries.
ACCESS_MASK allowed_to(const ACL* dacl, PSID sid) {
  ACCESS_MASK allowed = 0;
  for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(const_cast<ACL*>(dacl), i, &ace))
      break;
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE)
      continue;
    auto* allow = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    if (EqualSid(&allow->SidStart, sid))
      allowed |= allow->Mask;
  }
  return allowed;
}

// Another user's service, whatever its integrity level, may open the mutex to find it held, and
// can do no more with it than wait on it.
TEST(Win32SingleInstance, EveryUserMayOpenIt) {
  SingleInstance instance("127.0.0.1:3306/open to all");
  ASSERT_EQ(instance.acquire(), Result::Acquired) << instance.error();
  const Handle mutex(OpenMutexW(READ_CONTROL, FALSE, wide(instance.path()).c_str()));
  ASSERT_NE(mutex.h, nullptr) << system_error_text(GetLastError());

  PACL dacl = nullptr;
  PACL sacl = nullptr;
  PSECURITY_DESCRIPTOR security = nullptr;
  ASSERT_EQ(GetSecurityInfo(mutex.h, SE_KERNEL_OBJECT,
                            DACL_SECURITY_INFORMATION | LABEL_SECURITY_INFORMATION, nullptr,
                            nullptr, &dacl, &sacl, &security),
            ERROR_SUCCESS);
  PSID everyone = nullptr;
  PSID low = nullptr;
  ASSERT_TRUE(ConvertStringSidToSidW(L"S-1-1-0", &everyone));
  ASSERT_TRUE(ConvertStringSidToSidW(L"S-1-16-4096", &low));

  ASSERT_NE(dacl, nullptr) << "a NULL DACL would let anyone change the mutex's security";
  const ACCESS_MASK everyones = allowed_to(dacl, everyone);
  EXPECT_EQ(everyones & (SYNCHRONIZE | MUTEX_MODIFY_STATE), SYNCHRONIZE | MUTEX_MODIFY_STATE)
      << std::hex << everyones;
  EXPECT_EQ(everyones & (WRITE_DAC | WRITE_OWNER | DELETE | GENERIC_ALL | GENERIC_WRITE), 0u)
      << std::hex << everyones;

  // The mandatory label: low, so that no process is kept out by its integrity level.
  bool low_label = false;
  for (DWORD i = 0; sacl != nullptr && i < sacl->AceCount; ++i) {
    void* ace = nullptr;
    ASSERT_TRUE(GetAce(sacl, i, &ace));
    if (static_cast<const ACE_HEADER*>(ace)->AceType != SYSTEM_MANDATORY_LABEL_ACE_TYPE)
      continue;
    auto* label = static_cast<SYSTEM_MANDATORY_LABEL_ACE*>(ace);
    low_label =
        EqualSid(&label->SidStart, low) && label->Mask == SYSTEM_MANDATORY_LABEL_NO_WRITE_UP;
  }
  EXPECT_TRUE(low_label);

  LocalFree(low);
  LocalFree(everyone);
  LocalFree(security);
}

// What a start makes of a name that something else has taken. A mutex that this user may not
// open is another user's service, one made with security of its own; an object of another kind
// leaves the service unable to tell, and it starts without the check.
TEST(Win32SingleInstance, NameTakenBefore) {
  enum class Taker { DeniedMutex, OpenMutex, Event };
  const struct {
    const char* name;
    Taker taker;
    Result expected;
  } cases[] = {
      {"a mutex that this user may not open", Taker::DeniedMutex, Result::HeldByAnother},
      {"a mutex with the creator's default security", Taker::OpenMutex, Result::HeldByAnother},
      {"an event", Taker::Event, Result::Unavailable},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SingleInstance instance(std::string("127.0.0.1:3306/taken by ") + c.name);
    const std::wstring name = wide(instance.path());
    PSECURITY_DESCRIPTOR denying = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:(D;;GA;;;WD)", SDDL_REVISION_1, &denying, nullptr));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, denying, FALSE};
    const Handle taken(c.taker == Taker::Event ? CreateEventW(nullptr, TRUE, FALSE, name.c_str())
                       : c.taker == Taker::DeniedMutex
                           ? CreateMutexW(&attributes, FALSE, name.c_str())
                           : CreateMutexW(nullptr, FALSE, name.c_str()));
    LocalFree(denying);
    ASSERT_NE(taken.h, nullptr) << system_error_text(GetLastError());

    EXPECT_EQ(instance.acquire(), c.expected) << instance.error();
    if (c.expected == Result::Unavailable) {
      EXPECT_NE(instance.error().find(instance.path()), std::string::npos) << instance.error();
    }
  }
}

}  // namespace
}  // namespace talvex::platform::win32
