#pragma once

#include <string>

#include "data/connection.h"

namespace talvex::app {

// The exit code of a start that finds the service already running.
inline constexpr int kAlreadyRunningExitCode = 3;

// What makes two starts the same service, to be held by one process only: the database server
// and the database. On Linux the lock lives in the user's runtime folder, so each user of the
// computer has a service of their own; on Windows it is one lock for the whole computer, whichever
// user's session starts the service. Two services on one database would not print a job twice
// (the queue is locked in the database), but the second is of no use and puts a second icon in the
// notification area; the autostart at login and a click on the menu entry are the usual way to get
// one. Services on different databases are left to run side by side: a computer may serve two
// venues, and the whole-program tests start several at once, each against a database of its own.
std::string service_key(const data::ConnectionParams& connection);

// What a start that took the service says on standard output, so that whoever started it from a
// terminal knows it is up.
std::string running_text(const data::ConnectionParams& connection);

// The message of a start that finds the service already running in process `pid` (0: unknown).
std::string already_running_text(const data::ConnectionParams& connection, long long pid);

}  // namespace talvex::app
