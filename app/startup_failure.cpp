#include "app/startup_failure.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#if __has_include(<cxxabi.h>)
#include <cxxabi.h>
#endif

#include "data/errors.h"
#include "platform/module_address.h"

namespace talvex::app {
namespace {

std::string demangled(const char* name) {
#if __has_include(<cxxabi.h>)
  int status = 0;
  const std::unique_ptr<char, decltype(&std::free)> plain(
      abi::__cxa_demangle(name, nullptr, nullptr, &status), &std::free);
  if (status == 0 && plain != nullptr)
    return plain.get();
#endif
  return name;
}

// Drops the namespaces (and enclosing classes) in front of a qualified name, leaving template
// arguments as they are.
std::string_view unqualified(std::string_view name) {
  int depth = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (c == '<' || c == '(')
      ++depth;
    else if (c == '>' || c == ')')
      --depth;
    else if (depth == 0 && c == ':' && i + 1 < name.size() && name[i + 1] == ':')
      start = i + 2;
  }
  return name.substr(start);
}

}  // namespace

std::string startup_failure_text(std::string_view type, std::string_view module,
                                 std::uintptr_t offset, std::string_view message) {
  char address[2 * sizeof(std::uintptr_t) + 1];
  std::snprintf(address, sizeof address, "%08llX", static_cast<unsigned long long>(offset));
  std::string text = "Exception " + std::string(type) + " in module " + std::string(module) +
                     " at " + address + ".\n" + std::string(message);
  if (!message.empty() && message.back() != '.')
    text += '.';
  return text;
}

std::string startup_failure_text(const std::exception& error) {
  const auto* data_error = dynamic_cast<const data::DataError*>(&error);
  platform::CodeLocation where =
      platform::locate_code(data_error != nullptr ? data_error->address() : nullptr);
  if (where.module.empty()) {
    where.module = platform::locate_code(reinterpret_cast<const void*>(&error_type_name)).module;
    where.offset = 0;
  }
  return startup_failure_text(error_type_name(error), where.module, where.offset, error.what());
}

std::string error_type_name(const std::exception& error) {
  return std::string(unqualified(demangled(typeid(error).name())));
}

}  // namespace talvex::app
