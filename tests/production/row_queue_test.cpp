// Which row each card of a list takes, and which rows an earlier run's log
// has done.
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

TEST(RowsDoneInLog, TakesTheOkRowsOfThisFileAndRefusesAnotherFilesLog) {
  const std::string log =
      R"({"time":"t","port":"COM3","idm":"01","result":"ok","seconds":1.0,"row":2,"file":"AB"})" "\n"
      R"({"time":"t","port":"COM3","idm":"02","result":"write-failed","block":3,"row":3,"file":"AB"})" "\n"
      R"({"time":"t","port":"COM5","idm":"03","result":"ok","row":5,"id":"x,y","file":"AB"})" "\n";
  const ResumedRows resumed = RowsDoneInLog(log, "AB");
  EXPECT_EQ(resumed.error, "");
  EXPECT_EQ(resumed.lines, (std::set<std::size_t>{2, 5}));
  EXPECT_EQ(RowsDoneInLog(log, "CD").error, "the log records a run of another file (AB)");
}

}  // namespace
}  // namespace morvik
