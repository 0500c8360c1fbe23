#include "production/done_card_table.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace morvik {
namespace {

// The IDm's 8 bytes when it is written as 16 upper-case hexadecimal digits
// (as every record writes it).
std::optional<std::uint64_t> IdmValue(std::string_view idm) {
  if (idm.size() != 16) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : idm) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (digit < 0) return std::nullopt;
    value = value << 4 | static_cast<std::uint64_t>(digit);
  }
  return value;
}

std::size_t Spread(std::uint64_t key) { return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> 20); }

constexpr unsigned char kLongText = 0xFF;

}  // namespace

std::size_t DoneCardTable::SlotOf(std::uint64_t key, bool kept, std::string_view idm) const {
  const std::size_t mask = index_.size() - 1;
  for (std::size_t at = Spread(key) & mask;; at = (at + 1) & mask) {
    if (index_[at] == kNoCard) return at;
    const Card& card = CardAt(index_[at]);
    if (card.key != key || ((card.ref & kIdmKept) != 0) != kept) continue;
    std::uint32_t offset = card.ref & kOffset;
    if (!kept || TextAt(offset) == idm) return at;
  }
}

void DoneCardTable::Grow() {
  index_.assign(std::max<std::size_t>(1024, index_.size() * 2), kNoCard);
  const std::size_t mask = index_.size() - 1;
  for (std::uint32_t number = 0; number < count_; ++number) {
    std::size_t at = Spread(CardAt(number).key) & mask;
    while (index_[at] != kNoCard) at = (at + 1) & mask;
    index_[at] = number;
  }
}

void DoneCardTable::Append(std::string& block, std::string_view text) {
  if (text.size() < kLongText) {
    block.push_back(static_cast<char>(text.size()));
  } else {
    const auto size = static_cast<std::uint32_t>(text.size());
    char bytes[4];
    std::memcpy(bytes, &size, sizeof bytes);
    block.push_back(static_cast<char>(kLongText));
    block.append(bytes, sizeof bytes);
  }
  block.append(text);
}

std::uint32_t DoneCardTable::Keep(std::string_view first, std::optional<std::string_view> second) {
  const auto bytes = [](std::string_view text) { return text.size() + (text.size() < kLongText ? 1 : 5); };
  const std::size_t needed = bytes(first) + (second ? bytes(*second) : 0);
  if (texts_.empty()) texts_.emplace_back(2, '\0');  // offsets 0 and 1: the empty text, twice
  // Texts longer than a block (no journal line is), or past the offsets'
  // reach (a gigabyte of ids), are kept as empty ones.
  if (needed > kBlockBytes) return 0;
  if (texts_.back().size() + needed > kBlockBytes) {
    if ((texts_.size() + 1) * kBlockBytes > kOffset) return 0;
    texts_.emplace_back();
  }
  std::string& block = texts_.back();
  if (block.capacity() < kBlockBytes) block.reserve(kBlockBytes);
  const auto offset = static_cast<std::uint32_t>((texts_.size() - 1) * kBlockBytes + block.size());
  Append(block, first);
  if (second) Append(block, *second);
  return offset;
}

std::string_view DoneCardTable::TextAt(std::uint32_t& offset) const {
  const char* at = texts_[offset / kBlockBytes].data() + offset % kBlockBytes;
  std::uint32_t size = static_cast<unsigned char>(*at);
  std::uint32_t length = 1;
  if (size == kLongText) {
    std::memcpy(&size, at + 1, sizeof size);
    length = 5;
  }
  offset += length + size;
  return {at + length, size};
}

void DoneCardTable::Add(const CardRecord& record) {
  if ((count_ + 1) * 4 > index_.size() * 3) Grow();
  const std::optional<std::uint64_t> value = IdmValue(record.idm);
  const std::uint64_t key = value ? *value : ContentDigest(record.idm);
  const std::size_t at = SlotOf(key, !value, record.idm);
  if (index_[at] == kNoCard) {
    if (count_ % kBlockCards == 0) cards_.emplace_back().reserve(kBlockCards);
    cards_.back().emplace_back();
    index_[at] = static_cast<std::uint32_t>(count_++);
  } else if ((CardAt(index_[at]).ref & kRemoved) == 0) {
    --done_;
  }
  ++done_;
  // A kept IDm's text comes right before the id's, where RecordOf reads it.
  const std::uint32_t ref =
      value ? Keep(record.id, std::nullopt) : Keep(record.idm, std::string_view(record.id)) | kIdmKept;
  CardAt(index_[at]) = {key, static_cast<std::uint32_t>(record.row), ref};
}

void DoneCardTable::Remove(std::string_view idm) {
  if (index_.empty()) return;
  const std::optional<std::uint64_t> value = IdmValue(idm);
  const std::uint32_t number = index_[SlotOf(value ? *value : ContentDigest(idm), !value, idm)];
  if (number == kNoCard || (CardAt(number).ref & kRemoved) != 0) return;
  CardAt(number).ref |= kRemoved;
  --done_;
}

CardRecord DoneCardTable::RecordOf(const Card& card) const {
  CardRecord record;
  std::uint32_t offset = card.ref & kOffset;
  if ((card.ref & kIdmKept) != 0) {
    record.idm = std::string(TextAt(offset));
  } else {
    char idm[17];
    std::snprintf(idm, sizeof idm, "%016llX", static_cast<unsigned long long>(card.key));
    record.idm = idm;
  }
  record.id = std::string(TextAt(offset));
  record.row = card.row;
  return record;
}

std::optional<CardRecord> DoneCardTable::Find(std::string_view idm) const {
  if (index_.empty()) return std::nullopt;
  const std::optional<std::uint64_t> value = IdmValue(idm);
  const std::uint32_t number = index_[SlotOf(value ? *value : ContentDigest(idm), !value, idm)];
  if (number == kNoCard || (CardAt(number).ref & kRemoved) != 0) return std::nullopt;
  return RecordOf(CardAt(number));
}

void DoneCardTable::ForEach(const std::function<void(const CardRecord&)>& each) const {
  for (const std::vector<Card>& block : cards_) {
    for (const Card& card : block) {
      if ((card.ref & kRemoved) == 0) each(RecordOf(card));
    }
  }
}

}  // namespace morvik
