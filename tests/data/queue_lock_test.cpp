#include "data/queue_lock.h"

#include <gtest/gtest.h>

#include <string>

#include "data/connection.h"
#include "data/errors.h"
#include "tests/support/database_fixture.h"

namespace talvex::data {
namespace {

class QueueLockTest : public testing::DatabaseTest {
 protected:
  Connection mine{params()};
  Connection theirs{params()};
  QueueLock my_lock{mine};
  QueueLock their_lock{theirs};
};

TEST_F(QueueLockTest, OneSessionHoldsItUntilItGivesItBack) {
  ASSERT_TRUE(my_lock.try_take());
  EXPECT_FALSE(their_lock.try_take());
  my_lock.release();
  EXPECT_FALSE(my_lock.held());
  EXPECT_TRUE(their_lock.try_take());
  EXPECT_FALSE(my_lock.try_take());
  their_lock.release();
}

TEST_F(QueueLockTest, TakingItAgainWhileHoldingItNeedsOneGiveBack) {
  ASSERT_TRUE(my_lock.try_take());
  ASSERT_TRUE(my_lock.try_take());
  my_lock.release();
  EXPECT_TRUE(their_lock.try_take());
  their_lock.release();
}

// The session that holds the lock is ended under the service, as a server restart or a lost
// network would end it: giving the lock back does not fail, the server has ended the lock with the
// session, and the next statement opens a new session.
TEST_F(QueueLockTest, LockOfASessionThatEndedIsGoneAndGivingItBackDoesNotFail) {
  ASSERT_TRUE(my_lock.try_take());
  const std::string session = mine.query("SELECT CONNECTION_ID()").rows.at(0).at(0);
  theirs.execute(Sql::fixed("KILL " + session));
  EXPECT_NO_THROW(my_lock.release());
  EXPECT_FALSE(my_lock.held());
  // The killed session lets go of its lock as soon as the server has ended it.
  EXPECT_EQ(theirs.query("SELECT GET_LOCK(CONCAT('talvex print queue ', DATABASE()), 30)")
                .rows.at(0)
                .at(0),
            "1");
  EXPECT_NE(mine.query("SELECT CONNECTION_ID()").rows.at(0).at(0), session);
}

}  // namespace
}  // namespace talvex::data
