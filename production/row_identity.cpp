#include "production/row_identity.h"

#include <algorithm>

namespace morvik {

std::string RowKey(std::string_view id, std::string_view cells, std::size_t occurrence) {
  if (!id.empty()) return "i" + std::string(id);
  return "c" + std::string(cells) + "#" + std::to_string(occurrence);
}

std::string RowKeyOf(const CardRecord& record) {
  return record.cells.empty() ? std::string() : RowKey(record.id, record.cells, record.occurrence);
}

std::uint64_t RowKeyDigest(std::string_view key) { return ContentDigest(key); }

std::string ListNameOf(std::string_view path) {
  if (path == "-") return {};
  const std::size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

RowFinder::RowFinder(std::string listHash, std::string listName, const std::vector<PlannedRow>& rows)
    : listHash_(std::move(listHash)), listName_(std::move(listName)) {
  byKey_.reserve(rows.size());
  lines_.reserve(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    byKey_.emplace(RowKeyDigest(RowKey(rows[i].id, rows[i].cells, rows[i].occurrence)), static_cast<std::uint32_t>(i));
    lines_.push_back(rows[i].line);
  }
}

bool RowFinder::OfThisList(const CardRecord& record) const {
  if (record.row == 0) return false;
  return record.file == listHash_ || (!listName_.empty() && record.list == listName_);
}

std::optional<std::size_t> RowFinder::Find(const CardRecord& record) const {
  if (!OfThisList(record)) return std::nullopt;
  const std::string key = RowKeyOf(record);
  if (!key.empty()) {
    const auto found = byKey_.find(RowKeyDigest(key));
    return found == byKey_.end() ? std::nullopt : std::optional<std::size_t>(found->second);
  }
  if (record.file != listHash_) return std::nullopt;  // a line of other bytes
  const auto found = std::lower_bound(lines_.begin(), lines_.end(), record.row);
  if (found == lines_.end() || *found != record.row) return std::nullopt;
  return static_cast<std::size_t>(found - lines_.begin());
}

}  // namespace morvik
