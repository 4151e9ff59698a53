#pragma once

namespace talvex::platform::qt {

// Routes Qt's own messages to standard error, leaving out what means nothing to the operator:
// debug and info notes, and the platform plugin's notes that a window feature is not supported
// where there is no display (an offscreen panel, a session without a runtime folder). Warnings and
// worse of every other kind still show. Call before the QApplication is created.
void quiet_qt_notes();

}  // namespace talvex::platform::qt
