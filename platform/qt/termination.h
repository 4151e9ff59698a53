#pragma once

namespace talvex::platform::qt {

// Makes a request to terminate (SIGTERM, SIGINT or SIGHUP) end the application's message loop
// cleanly, so that the program returns from its main function with exit code 0. The request is
// acted on between two events of the loop: a job that is printing when it arrives finishes first,
// so no document is cut short. Call once, after the QCoreApplication exists. Does nothing where the
// system has no such signals.
void quit_on_termination_request();

}  // namespace talvex::platform::qt
