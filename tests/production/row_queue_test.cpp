// Which row each card of a list takes.
#include "production/row_queue.h"

#include <gtest/gtest.h>

namespace morvik {
namespace {

TEST(RowQueue, TakesRowsInOrderAFailedOneFirstAgainAndCountsEachRowOnce) {
  RowQueue queue(5, {1}, 3);  // row 1 done earlier; this run takes three rows
  EXPECT_EQ(queue.Take(), 0u);
  EXPECT_EQ(queue.Take(), 2u);
  queue.Failed(0);
  EXPECT_EQ(queue.Take(), 0u);  // again, before any new row, and not counted twice
  queue.Done(0);
  EXPECT_EQ(queue.Take(), 3u);
  EXPECT_EQ(queue.Take(), std::nullopt);  // the limit: rows 0, 2 and 3
  queue.Done(2);
  EXPECT_FALSE(queue.Finished());
  queue.Failed(3);
  EXPECT_FALSE(queue.Finished());
  EXPECT_EQ(queue.Take(), 3u);
  queue.Done(3);
  EXPECT_TRUE(queue.Finished());
  EXPECT_EQ(queue.done(), 4u);
  EXPECT_EQ(queue.left(), 1u);
}

}  // namespace
}  // namespace morvik
