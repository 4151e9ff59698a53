#pragma once

#include "data/connection.h"

namespace talvex::data {

// The database's own lock on its print queue: a named lock of the server (GET_LOCK) whose name
// holds the database's name, so that two services on one database never run jobs at the same time,
// while services of other databases on the same server go their own way. The lock belongs to the
// connection's session and ends with it: a service that loses its connection, or dies, holds
// nothing. No table of the front end's is touched.
class QueueLock {
 public:
  explicit QueueLock(Connection& connection) : connection_(connection) {}
  QueueLock(const QueueLock&) = delete;
  QueueLock& operator=(const QueueLock&) = delete;

  // Takes the lock without waiting for it; false when another session holds it. Nothing is sent
  // while the lock is held already. A failing statement throws DataError.
  bool try_take();
  // Gives back the lock taken by try_take(), if any. Never throws: when the lock cannot be given
  // back, the connection is dropped, which ends the lock with the session (the next statement
  // opens a new one).
  void release() noexcept;
  bool held() const { return held_; }

 private:
  Connection& connection_;
  bool held_ = false;
};

// Gives the lock back when it goes out of scope, whether the job in between ended or failed.
class QueueLockHold {
 public:
  explicit QueueLockHold(QueueLock& lock) : lock_(lock) {}
  ~QueueLockHold() { lock_.release(); }
  QueueLockHold(const QueueLockHold&) = delete;
  QueueLockHold& operator=(const QueueLockHold&) = delete;

 private:
  QueueLock& lock_;
};

}  // namespace talvex::data
