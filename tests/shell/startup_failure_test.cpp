#include "app/startup_failure.h"

#include <QtGlobal>

#include <gtest/gtest.h>

#include <regex>
#include <stdexcept>
#include <string>

#include "data/errors.h"
#include "platform/module_address.h"

namespace talvex::app {
namespace {

struct TextCase {
  const char* name;
  const char* type;
  std::uintptr_t offset;
  const char* message;
  const char* text;
};

const TextCase kTexts[] = {
    {"a message gets a full stop", "DataError", 0x1A2B, "Printing in progress",
     "Exception DataError in module talvex at 00001A2B.\nPrinting in progress."},
    {"one full stop is enough", "DataError", 0, "Unknown database 'screen'.",
     "Exception DataError in module talvex at 00000000.\nUnknown database 'screen'."},
    {"a closing parenthesis is no full stop", "DataError", 0xDEADBEEF,
     "Cannot connect to server on host 'localhost':\r\nConnection refused.\r\nSocket Error Code: "
     "111($6F)",
     "Exception DataError in module talvex at DEADBEEF.\nCannot connect to server on host "
     "'localhost':\r\nConnection refused.\r\nSocket Error Code: 111($6F)."},
    {"an empty message stays empty", "runtime_error", 0xabc, "",
     "Exception runtime_error in module talvex at 00000ABC.\n"},
};

TEST(StartupFailure, TextNamesTypeModuleAndAddressThenTheMessage) {
  for (const TextCase& c : kTexts) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(startup_failure_text(c.type, "talvex", c.offset, c.message), c.text);
  }
}

class LocalError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

template <typename T>
struct Holder {
  struct Error : std::logic_error {
    using std::logic_error::logic_error;
  };
};

TEST(StartupFailure, TypeIsTheClassNameWithoutNamespaces) {
  EXPECT_EQ(error_type_name(data::DataError("x")), "DataError");
  EXPECT_EQ(error_type_name(std::runtime_error("x")), "runtime_error");
  EXPECT_EQ(error_type_name(LocalError("x")), "LocalError");
  EXPECT_EQ(error_type_name(Holder<data::DataError>::Error("x")), "Error");
}

[[gnu::noinline]] void raise_data_error() {
  throw data::DataError("Lost connection to MySQL server during query");
}

std::string file_name(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

TEST(StartupFailure, DatabaseErrorIsPlacedInTheProgramRelativeToItsLoadAddress) {
  try {
    raise_data_error();
    FAIL() << "no error";
  } catch (const data::DataError& e) {
    const std::string text = startup_failure_text(e);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(
        text, m,
        std::regex("Exception DataError in module (\\S+) at ([0-9A-F]{8,})\\.\nLost connection to "
                   "MySQL server during query\\.")))
        << text;
    EXPECT_EQ(m[1].str(), file_name(platform::program_path()));

    // The reported offset and the raising function's offset share one base address.
    const auto function = reinterpret_cast<std::uintptr_t>(&raise_data_error);
    const platform::CodeLocation at_function =
        platform::locate_code(reinterpret_cast<const void*>(function));
    const std::uintptr_t offset = std::stoull(m[2].str(), nullptr, 16);
    EXPECT_EQ(offset - at_function.offset,
              reinterpret_cast<std::uintptr_t>(e.address()) - function);
    EXPECT_LT(at_function.offset, function);
  }
}

TEST(StartupFailure, OtherErrorsArePlacedAtTheStartOfTheProgram) {
  const std::string text = startup_failure_text(std::runtime_error("Integer overflow"));
  EXPECT_EQ(text, "Exception runtime_error in module " + file_name(platform::program_path()) +
                      " at 00000000.\nInteger overflow.");
}

TEST(ModuleAddress, NamesTheLibraryThatHoldsTheCode) {
  const auto* address = reinterpret_cast<const char*>(&qVersion);
  const platform::CodeLocation a = platform::locate_code(address);
  const platform::CodeLocation b = platform::locate_code(address + 16);
  EXPECT_EQ(a.module.rfind("libQt6Core.so", 0), 0u) << a.module;
  EXPECT_EQ(b.module, a.module);
  EXPECT_EQ(b.offset - a.offset, 16u);
  EXPECT_LT(a.offset, reinterpret_cast<std::uintptr_t>(address));
}

TEST(ModuleAddress, AnAddressOutsideEveryModuleHasNoModule) {
  const platform::CodeLocation none = platform::locate_code(nullptr);
  EXPECT_EQ(none.module, "");
  EXPECT_EQ(none.offset, 0u);
}

}  // namespace
}  // namespace talvex::app
