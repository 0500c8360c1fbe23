#include "production/row_identity.h"

#include <algorithm>

namespace morvik {

RowSet::RowSet(std::initializer_list<std::size_t> rows) {
  for (const std::size_t row : rows) insert(row);
}

void RowSet::insert(std::size_t row) {
  if (row >= bits_.size()) bits_.resize(std::max(row + 1, bits_.size() * 2), false);
  if (bits_[row]) return;
  bits_[row] = true;
  ++count_;
}

void RowSet::erase(std::size_t row) {
  if (!contains(row)) return;
  bits_[row] = false;
  --count_;
}

bool RowSet::operator==(const RowSet& other) const {
  const std::size_t common = std::min(bits_.size(), other.bits_.size());
  const auto noneFrom = [common](const std::vector<bool>& bits) {
    return std::find(bits.begin() + static_cast<std::ptrdiff_t>(common), bits.end(), true) == bits.end();
  };
  return count_ == other.count_ && std::equal(bits_.begin(), bits_.begin() + static_cast<std::ptrdiff_t>(common),
                                              other.bits_.begin()) &&
         noneFrom(bits_) && noneFrom(other.bits_);
}

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
    byKey_.emplace_back(RowKeyDigest(RowKey(rows[i].id, rows[i].cells, rows[i].occurrence)), static_cast<std::uint32_t>(i));
    lines_.push_back(rows[i].line);
  }
  // The first row of a digest when two rows share one, as a map keeps its first.
  std::ranges::stable_sort(byKey_, {}, &std::pair<std::uint64_t, std::uint32_t>::first);
}

bool RowFinder::OfThisList(const CardRecord& record) const {
  if (record.row == 0) return false;
  return record.file == listHash_ || (!listName_.empty() && record.list == listName_);
}

std::optional<std::size_t> RowFinder::Find(const CardRecord& record) const {
  if (!OfThisList(record)) return std::nullopt;
  const std::string key = RowKeyOf(record);
  if (!key.empty()) {
    const std::uint64_t digest = RowKeyDigest(key);
    const auto found = std::ranges::lower_bound(byKey_, digest, {}, &std::pair<std::uint64_t, std::uint32_t>::first);
    return found == byKey_.end() || found->first != digest ? std::nullopt : std::optional<std::size_t>(found->second);
  }
  if (record.file != listHash_) return std::nullopt;  // a line of other bytes
  const auto found = std::lower_bound(lines_.begin(), lines_.end(), record.row);
  if (found == lines_.end() || *found != record.row) return std::nullopt;
  return static_cast<std::size_t>(found - lines_.begin());
}

}  // namespace morvik
