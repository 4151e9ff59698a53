#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace talvex::app {

// The text of the "Application Error" box shown when the service cannot start: a first line
// "Exception <type> in module <module> at <offset>." with the offset in eight upper-case
// hexadecimal digits, then the message with a full stop when it is not empty and lacks one.
std::string startup_failure_text(std::string_view type, std::string_view module,
                                 std::uintptr_t offset, std::string_view message);

// The same for an error that left the start: its class name, and the module and offset of the
// code that raised it where the error records that (a database error does); otherwise the
// program file at offset 0.
std::string startup_failure_text(const std::exception& error);

// The class name of an error, without its namespaces: "DataError".
std::string error_type_name(const std::exception& error);

}  // namespace talvex::app
