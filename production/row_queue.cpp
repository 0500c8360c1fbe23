#include "production/row_queue.h"

#include <charconv>

namespace morvik {

RowQueue::RowQueue(std::size_t rows, const std::set<std::size_t>& doneAlready,
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
  if (waiting_.empty()) return std::nullopt;
  const std::size_t row = waiting_.front();
  const bool again = taken_.contains(row);
  if (!again && limit_ && taken_.size() >= *limit_) return std::nullopt;
  waiting_.pop_front();
  taken_.insert(row);
  ++inProgress_;
  return row;
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
  if (waiting_.empty()) return true;
  const bool again = taken_.contains(waiting_.front());
  return !again && limit_ && taken_.size() >= *limit_;
}

std::size_t RowQueue::done() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return done_;
}

std::size_t RowQueue::left() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return total_ - done_;
}

namespace {

// The text of "key":"text" or the digits of "key":123 in one JSON line of
// ours (flat objects, no white space after the colon).
std::string_view ValueOf(std::string_view line, std::string_view key) {
  const std::string pattern = "\"" + std::string(key) + "\":";
  const std::size_t at = line.find(pattern);
  if (at == std::string_view::npos) return {};
  std::string_view value = line.substr(at + pattern.size());
  if (value.starts_with('"')) {
    value.remove_prefix(1);
    return value.substr(0, value.find('"'));
  }
  return value.substr(0, value.find_first_of(",}"));
}

}  // namespace

ResumedRows RowsDoneInLog(std::string_view log, std::string_view fileHash) {
  ResumedRows resumed;
  while (!log.empty()) {
    const std::size_t end = log.find('\n');
    const std::string_view line = log.substr(0, end);
    log.remove_prefix(end == std::string_view::npos ? log.size() : end + 1);
    const std::string_view file = ValueOf(line, "file");
    if (file.empty()) continue;  // a record of a run without a list
    if (file != fileHash) {
      resumed.error = "the log records a run of another file (" + std::string(file) + ")";
      return resumed;
    }
    const std::string_view row = ValueOf(line, "row");
    std::size_t number = 0;
    const auto [rest, problem] = std::from_chars(row.data(), row.data() + row.size(), number);
    if (ValueOf(line, "result") == "ok" && problem == std::errc() && rest == row.data() + row.size()) {
      resumed.lines.insert(number);
    }
  }
  return resumed;
}

}  // namespace morvik
