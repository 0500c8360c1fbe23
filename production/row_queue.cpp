#include "production/row_queue.h"

#include <algorithm>

namespace morvik {

RowQueue::RowQueue(std::size_t rows, const RowSet& doneAlready,
                   std::optional<std::size_t> limit)
    : total_(rows), limit_(limit) {
  for (std::size_t row = 0; row < rows; ++row) {
    if (doneAlready.contains(row)) {
      ++done_;
    } else {
      waiting_.push_back(row);
    }
  }
}

std::optional<std::size_t> RowQueue::Take() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return TakeWaiting(std::find_if(waiting_.begin(), waiting_.end(),
                                  [this](std::size_t row) { return !elsewhere_.contains(row); }));
}

std::optional<std::size_t> RowQueue::TakeRow(std::size_t row) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (elsewhere_.contains(row)) return std::nullopt;
  return TakeWaiting(std::find(waiting_.begin(), waiting_.end(), row));
}

void RowQueue::DoneElsewhere(std::size_t row) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto waiting = std::find(waiting_.begin(), waiting_.end(), row);
  if (waiting == waiting_.end()) return;
  waiting_.erase(waiting);
  ++done_;
}

void RowQueue::SetElsewhere(std::set<std::size_t> rows) {
  const std::lock_guard<std::mutex> lock(mutex_);
  elsewhere_ = std::move(rows);
}

std::optional<std::size_t> RowQueue::TakeWaiting(std::deque<std::size_t>::iterator waiting) {
  if (waiting == waiting_.end() || !MayTake(*waiting)) return std::nullopt;
  const std::size_t row = *waiting;
  waiting_.erase(waiting);
  taken_.insert(row);
  ++inProgress_;
  return row;
}

bool RowQueue::MayTake(std::size_t row) const {
  return taken_.contains(row) || !limit_ || taken_.size() < *limit_;
}

void RowQueue::Done(std::size_t row) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (row < total_) ++done_;
  --inProgress_;
}

void RowQueue::Failed(std::size_t row) {
  const std::lock_guard<std::mutex> lock(mutex_);
  waiting_.push_front(row);
  --inProgress_;
}

bool RowQueue::Finished() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (inProgress_ > 0) return false;
  return waiting_.empty() || !MayTake(waiting_.front());
}

std::size_t RowQueue::done() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return done_;
}

std::size_t RowQueue::left() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return total_ - done_;
}

}  // namespace morvik
