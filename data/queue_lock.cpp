#include "data/queue_lock.h"

namespace talvex::data {

bool QueueLock::try_take() {
  // The server counts the locks a session takes; this object takes the lock once at most, so one
  // release() always gives it back.
  if (held_)
    return true;
  // GET_LOCK answers 1 when the lock is this session's now, 0 when another session holds it, and
  // NULL on an error of the server's.
  const ResultTable answer =
      connection_.query("SELECT GET_LOCK(CONCAT('talvex print queue ', DATABASE()), 0)");
  held_ =
      !answer.rows.empty() && !answer.rows.front().empty() && answer.rows.front().front() == "1";
  return held_;
}

void QueueLock::release() noexcept {
  if (!held_)
    return;
  held_ = false;
  // A lost connection took the lock with it; a new session holds nothing to give back.
  if (!connection_.connected())
    return;
  try {
    connection_.execute("SELECT RELEASE_LOCK(CONCAT('talvex print queue ', DATABASE()))");
  } catch (...) {
    // The server's locks are counted per session: one left behind would be taken again at the next
    // check and never be given back. Ending the session ends it; whatever broke the statement
    // shows itself at the next statement, which opens a new session.
    connection_.disconnect();
  }
}

}  // namespace talvex::data
