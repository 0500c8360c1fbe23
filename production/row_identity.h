// Which row of a list a record names. A row is known by what it is, never by
// its place: by its id cell when it has one, else by its cells and which
// occurrence of those cells it is. Records written before rows carried their
// identity name a row by its line, which holds only for the very bytes they
// were written from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "production/card_record.h"

namespace morvik {

// Rows of a list by their lines (or their indices), a bit each: a list of
// many rows done costs a bit a row, not a node of a tree.
class RowSet {
 public:
  RowSet() = default;
  RowSet(std::initializer_list<std::size_t> rows);
  bool contains(std::size_t row) const { return row < bits_.size() && bits_[row]; }
  void insert(std::size_t row);
  void erase(std::size_t row);
  std::size_t size() const { return count_; }
  bool operator==(const RowSet& other) const;

 private:
  std::vector<bool> bits_;
  std::size_t count_ = 0;
};

// A row of a list as a run plans it.
struct PlannedRow {
  std::size_t line;  // where the row starts in the file
  std::string id;
  std::string cells{};         // the hash of its cells (all but the id)
  std::size_t occurrence = 0;  // the how-manyth row with these cells, from 1
};

// "i" and the id, or "c", the cells' hash and the occurrence: one text per row
// of a list whose ids differ.
std::string RowKey(std::string_view id, std::string_view cells, std::size_t occurrence);
// The key of the row a record names; empty for a record without the row's cells.
std::string RowKeyOf(const CardRecord& record);
// A row key's 64-bit digest: what a list's rows and the journal's rows are
// matched and counted by, so that each costs a number, not a text.
std::uint64_t RowKeyDigest(std::string_view key);

// The file name without its folder: records name their list by it, as the
// list's bytes change when rows are added.
std::string ListNameOf(std::string_view path);

class RowFinder {
 public:
  RowFinder(std::string listHash, std::string listName, const std::vector<PlannedRow>& rows);
  // Written from this list: from these very bytes, or from the list of this
  // name as it was before it was edited.
  bool OfThisList(const CardRecord& record) const;
  // The index of the row the record names, when the list has it.
  std::optional<std::size_t> Find(const CardRecord& record) const;
  const std::string& listHash() const { return listHash_; }
  const std::string& listName() const { return listName_; }

 private:
  std::string listHash_;
  std::string listName_;
  // RowKeyDigest and the row's index, sorted by digest: looked up by halving.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> byKey_;
  std::vector<std::size_t> lines_;  // each row's line, in the file's order (ascending)
};

}  // namespace morvik
