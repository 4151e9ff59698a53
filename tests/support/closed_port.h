#pragma once

#include "platform/closed_port.h"

namespace talvex::testing {

// The tests refuse connections with the same closed port that the service reads its option files
// with (platform/closed_port.h).
using ClosedPort = platform::ClosedPort;

}  // namespace talvex::testing
