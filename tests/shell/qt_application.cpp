// The one QApplication of the Qt tests, alive from before the first test to after the last.

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class QtApplication final : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "test_shell";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] auto* const kQtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplication);

}  // namespace
