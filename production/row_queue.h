// Which row of a list each new card takes: the next row not yet done, in the
// list's order. A row is done once its card is written and verified; a row
// whose card failed goes back to the front, for the next card. Shared by the
// writers of a run.
#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <set>

#include "production/row_identity.h"

namespace morvik {

class RowQueue {
 public:
  // rows: how many the list has (0 to rows - 1); doneAlready: rows an earlier
  // run finished; limit: how many rows this run may take.
  RowQueue(std::size_t rows, const RowSet& doneAlready, std::optional<std::size_t> limit);

  // The row the next card takes; nullopt when no row is left to take.
  std::optional<std::size_t> Take();
  // This row, when it waits and the limit allows it; else nullopt.
  std::optional<std::size_t> TakeRow(std::size_t row);
  void Done(std::size_t row);
  // Back to the front: the next card takes it first.
  void Failed(std::size_t row);
  // Done by another run sharing the journal: no card of this run takes it.
  void DoneElsewhere(std::size_t row);
  // The rows another run's card is on now: no card of this run takes them
  // while they are.
  void SetElsewhere(std::set<std::size_t> rows);
  // No card is on a row, and every row is done or the limit is spent with no
  // taken row waiting again: nothing is left for any writer.
  bool Finished() const;
  std::size_t done() const;
  std::size_t left() const;

 private:
  // Whether the limit lets this row be taken (a row taken before always may).
  bool MayTake(std::size_t row) const;
  // The row at `waiting` (end: none), when the limit lets it be taken.
  std::optional<std::size_t> TakeWaiting(std::deque<std::size_t>::iterator waiting);

  mutable std::mutex mutex_;
  std::deque<std::size_t> waiting_;
  std::set<std::size_t> taken_;
  std::set<std::size_t> elsewhere_;
  std::size_t done_ = 0;
  std::size_t inProgress_ = 0;
  std::size_t total_;
  std::optional<std::size_t> limit_;
};

}  // namespace morvik
