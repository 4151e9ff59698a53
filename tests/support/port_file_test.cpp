// The test harness's reading of the port file the private MariaDB server's script writes.

#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>

#include "tests/support/database_fixture.h"

namespace talvex::testing {
namespace {

struct PortFileCase {
  const char* name;
  std::string text;
  std::optional<unsigned> port;  // nothing: the file is refused
};

class PortFileTest : public ::testing::TestWithParam<PortFileCase> {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/talvex-port-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::filesystem::path folder_;
};

TEST_P(PortFileTest, HoldsOnePortFromOneTo65535) {
  const PortFileCase& c = GetParam();
  const std::string path = (folder_ / "port").string();
  std::ofstream(path, std::ios::binary) << c.text;
  if (c.port) {
    EXPECT_EQ(read_port_file(path), *c.port);
    return;
  }
  try {
    const unsigned port = read_port_file(path);
    FAIL() << "read as port " << port;
  } catch (const std::runtime_error& e) {
    std::string shown = c.text;
    if (!shown.empty() && shown.back() == '\n')
      shown.pop_back();
    EXPECT_EQ(e.what(),
              "the port file " + path + " holds '" + shown + "', not a port from 1 to 65535");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PortFileTest,
    ::testing::Values(PortFileCase{"AsTheScriptWritesIt", "40123\n", 40123u},
                      PortFileCase{"WithoutLineBreak", "3307", 3307u},
                      PortFileCase{"Lowest", "1\n", 1u}, PortFileCase{"Highest", "65535\n", 65535u},
                      PortFileCase{"Empty", "", std::nullopt},
                      PortFileCase{"Zero", "0\n", std::nullopt},
                      PortFileCase{"OneTooMany", "65536\n", std::nullopt},
                      PortFileCase{"Negative", "-1\n", std::nullopt},
                      // 2^32 + 3306 would read as 3306 were it cut to 32 bits.
                      PortFileCase{"WrapsToAnotherPort", "4294970602\n", std::nullopt},
                      PortFileCase{"Signed", "+3306\n", std::nullopt},
                      PortFileCase{"LeadingSpace", " 3306\n", std::nullopt},
                      PortFileCase{"TrailingText", "3306 mariadb\n", std::nullopt},
                      PortFileCase{"TwoLines", "3306\n3307\n", std::nullopt}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
}  // namespace talvex::testing
