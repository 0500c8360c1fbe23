// The cards written ok, by IDm, each with the row it holds: what a run keeps
// of a journal's cards, however long the journal. A card takes 16 bytes, its
// id's bytes once and a slot of 4 bytes in the index, not a record of its
// own: an IDm of 16 hexadecimal digits is the card's key itself, any other
// IDm is kept as text. Cards and texts are held in blocks of a fixed size, so
// that the table grows without ever holding its contents twice.
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
  struct Card {
    std::uint64_t key = 0;
    std::uint32_t row = 0;
    std::uint32_t ref = 0;  // kIdmKept, kRemoved and the offset of its texts
  };
  static constexpr std::uint32_t kIdmKept = 0x80000000;  // the IDm's text comes before the id's
  static constexpr std::uint32_t kRemoved = 0x40000000;
  static constexpr std::uint32_t kOffset = 0x3FFFFFFF;
  static constexpr std::uint32_t kNoCard = 0xFFFFFFFF;  // an empty slot of the index
  static constexpr std::size_t kBlockCards = 4096;
  static constexpr std::size_t kBlockBytes = 64 * 1024;

  // The slot of the index that holds this IDm's card, or the empty one where it would go.
  std::size_t SlotOf(std::uint64_t key, bool kept, std::string_view idm) const;
  void Grow();
  Card& CardAt(std::uint32_t number) { return cards_[number / kBlockCards][number % kBlockCards]; }
  const Card& CardAt(std::uint32_t number) const { return cards_[number / kBlockCards][number % kBlockCards]; }
  // The offset of the texts, kept one after the other in one block.
  std::uint32_t Keep(std::string_view first, std::optional<std::string_view> second);
  static void Append(std::string& block, std::string_view text);
  std::string_view TextAt(std::uint32_t& offset) const;
  CardRecord RecordOf(const Card& card) const;

  std::vector<std::uint32_t> index_;  // open addressing: the number of a card, or kNoCard
  std::vector<std::vector<Card>> cards_;
  // Each text as its length (one byte, or 0xFF and four bytes) and its bytes,
  // never across two blocks.
  std::vector<std::string> texts_;
  std::size_t count_ = 0;
  std::size_t done_ = 0;
};

}  // namespace morvik
