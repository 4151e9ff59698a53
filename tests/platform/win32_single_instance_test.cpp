#include "platform/win32/single_instance.h"

#include <gtest/gtest.h>

#include <memory>

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

}  // namespace
}  // namespace talvex::platform::win32
