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
#include <string>
#include <string_view>

namespace morvik {

class RowQueue {
 public:
  // rows: how many the list has (0 to rows - 1); doneAlready: rows an earlier
  // run finished; limit: how many rows this run may take.
  RowQueue(std::size_t rows, const std::set<std::size_t>& doneAlready, std::optional<std::size_t> limit);

  // The row the next card takes; nullopt when no row is left to take.
  std::optional<std::size_t> Take();
  void Done(std::size_t row);
  // Back to the front: the next card takes it first.
  void Failed(std::size_t row);
  // No card is on a row, and every row is done or the limit is spent with no
  // taken row waiting again: nothing is left for any writer.
  bool Finished() const;
  std::size_t done() const;
  std::size_t left() const;

 private:
  mutable std::mutex mutex_;
  std::deque<std::size_t> waiting_;
  std::set<std::size_t> taken_;
  std::size_t done_ = 0;
  std::size_t inProgress_ = 0;
  std::size_t total_;
  std::optional<std::size_t> limit_;
};

// The rows an earlier run's JSON Lines log records as ok for the file with
// this hash; error names the log's problem (a log of another file).
struct ResumedRows {
  std::set<std::size_t> lines;  // the rows' lines in the file
  std::string error;
};
ResumedRows RowsDoneInLog(std::string_view log, std::string_view fileHash);

}  // namespace morvik
