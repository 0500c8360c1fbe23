#include "production/run_plan.h"

namespace morvik {

std::optional<CardJob> OneImagePlan::Take(CustomerId cid, const CardRecord*) {
  if (limited_) {
    int left = left_.load();
    while (left > 0 && !left_.compare_exchange_weak(left, left - 1)) {
    }
    if (left <= 0) return std::nullopt;
  }
  const std::optional<ContentImage> image = imageFor_(cid);
  if (!image) return std::nullopt;
  CardJob job;
  job.image = *image;
  return job;
}

ListPlan::ListPlan(std::vector<PlannedRow> rows, std::string listHash, RowImage rowImage, const RowSet& doneLines,
                   std::optional<std::size_t> limit, std::string listName)
    : rows_(std::move(rows)),
      finder_(std::move(listHash), std::move(listName), rows_),
      rowImage_(std::move(rowImage)),
      queue_(rows_.size(), Indices(rows_, doneLines), limit) {}

RowSet ListPlan::Indices(const std::vector<PlannedRow>& rows, const RowSet& lines) {
  RowSet indices;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (lines.contains(rows[i].line)) indices.insert(i);
  }
  return indices;
}

std::optional<CardJob> ListPlan::Take(CustomerId cid, const CardRecord* started) {
  const std::optional<std::size_t> preferred = started ? finder_.Find(*started) : std::nullopt;
  std::optional<std::size_t> row = preferred ? queue_.TakeRow(*preferred) : std::nullopt;
  if (!row) row = queue_.Take();
  // Every row is done: a card left in doubt is finished with its own row all the same.
  if (!row && preferred && queue_.left() == 0) return JobFor(*preferred, cid, true);
  if (!row) return std::nullopt;
  std::optional<CardJob> job = JobFor(*row, cid, false);
  if (!job) queue_.Failed(*row);
  return job;
}

std::optional<CardJob> ListPlan::JobFor(std::size_t row, CustomerId cid, bool again) {
  const std::optional<ContentImage> image = rowImage_(row, cid);
  if (!image) return std::nullopt;
  const PlannedRow& planned = rows_[row];
  CardJob job{*image, row, planned.line, planned.id, finder_.listHash(), planned.cells, planned.occurrence,
              finder_.listName()};
  job.again = again;
  return job;
}

void ListPlan::DoneElsewhere(const CardRecord& record) {
  if (const std::optional<std::size_t> row = finder_.Find(record)) queue_.DoneElsewhere(*row);
}

void ListPlan::HeldElsewhere(const std::vector<CardRecord>& started) {
  std::set<std::size_t> rows;
  for (const CardRecord& record : started) {
    if (const std::optional<std::size_t> row = finder_.Find(record)) rows.insert(*row);
  }
  queue_.SetElsewhere(std::move(rows));
}

void ListPlan::Settle(const CardJob& job, bool ok) {
  if (!job.row || job.again) return;
  if (ok) {
    queue_.Done(*job.row);
  } else {
    queue_.Failed(*job.row);
  }
}

}  // namespace morvik
