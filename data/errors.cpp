#include "data/errors.h"

namespace talvex::data {

// Not inlined, so that the return address is the code that raised the error.
__attribute__((noinline)) DataError::DataError(const std::string& message, unsigned server_code)
    : std::runtime_error(message),
      address_(__builtin_return_address(0)),
      server_code_(server_code) {}

}  // namespace talvex::data
