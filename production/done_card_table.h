// The cards written ok, by IDm, each with the row it holds: what a run keeps
// of a journal's cards, however long the journal. A card takes a slot of 16
// bytes and its id's bytes once, not a record of its own: an IDm of 16
// hexadecimal digits is the slot's key itself, any other IDm is kept as text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "production/card_record.h"

namespace morvik {

class DoneCardTable {
 public:
  // The card of record.idm is done, holding record.row and record.id.
  void Add(const CardRecord& record);
  // The card is not done (started again, or its last result failed).
  void Remove(std::string_view idm);
  // A record with the IDm, row and id of the card, when it is done.
  std::optional<CardRecord> Find(std::string_view idm) const;
  std::size_t size() const { return done_; }
  // Each card done, in no particular order.
  void ForEach(const std::function<void(const CardRecord&)>& each) const;

 private:
  struct Slot {
    std::uint64_t key = 0;
    std::uint32_t row = 0;
    std::uint32_t ref = kEmpty;  // kIdmKept, kRemoved and the offset of its texts in texts_
  };
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
  static constexpr std::uint32_t kIdmKept = 0x80000000;  // the IDm's text comes before the id's
  static constexpr std::uint32_t kRemoved = 0x40000000;
  static constexpr std::uint32_t kOffset = 0x3FFFFFFF;

  // The slot of this IDm, or the empty one where it would go.
  std::size_t SlotOf(std::uint64_t key, bool kept, std::string_view idm) const;
  void Grow();
  std::uint32_t Keep(std::string_view text);
  std::string_view TextAt(std::uint32_t& offset) const;
  CardRecord RecordOf(const Slot& slot) const;

  std::vector<Slot> slots_;
  std::string texts_;  // each text as 4 bytes of length and its bytes
  std::size_t used_ = 0;
  std::size_t done_ = 0;
};

}  // namespace morvik
