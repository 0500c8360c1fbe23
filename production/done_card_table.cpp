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

}  // namespace

std::size_t DoneCardTable::SlotOf(std::uint64_t key, bool kept, std::string_view idm) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = Spread(key) & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.ref == kEmpty) return at;
    if (slot.key != key || ((slot.ref & kIdmKept) != 0) != kept) continue;
    std::uint32_t offset = slot.ref & kOffset;
    if (!kept || TextAt(offset) == idm) return at;
  }
}

void DoneCardTable::Grow() {
  std::vector<Slot> old(std::max<std::size_t>(1024, slots_.size() * 2));
  old.swap(slots_);
  for (const Slot& slot : old) {
    if (slot.ref == kEmpty) continue;
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = Spread(slot.key) & mask;
    while (slots_[at].ref != kEmpty) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

std::uint32_t DoneCardTable::Keep(std::string_view text) {
  if (texts_.empty()) texts_.assign(4, '\0');  // offset 0: the empty text
  // Past the offsets' reach (a gigabyte of ids) a text is kept as the empty one.
  if (texts_.size() + 4 + text.size() > kOffset) return 0;
  const auto offset = static_cast<std::uint32_t>(texts_.size());
  const auto size = static_cast<std::uint32_t>(text.size());
  char length[4];
  std::memcpy(length, &size, sizeof length);
  texts_.append(length, sizeof length).append(text);
  return offset;
}

std::string_view DoneCardTable::TextAt(std::uint32_t& offset) const {
  std::uint32_t size = 0;
  std::memcpy(&size, texts_.data() + offset, sizeof size);
  const std::string_view text(texts_.data() + offset + sizeof size, size);
  offset += static_cast<std::uint32_t>(sizeof size) + size;
  return text;
}

void DoneCardTable::Add(const CardRecord& record) {
  if ((used_ + 1) * 4 > slots_.size() * 3) Grow();
  const std::optional<std::uint64_t> value = IdmValue(record.idm);
  const std::uint64_t key = value ? *value : ContentDigest(record.idm);
  Slot& slot = slots_[SlotOf(key, !value, record.idm)];
  if (slot.ref == kEmpty) {
    ++used_;
  } else if ((slot.ref & kRemoved) == 0) {
    --done_;
  }
  ++done_;
  std::uint32_t ref = Keep(value ? record.id : record.idm);
  if (!value) {
    Keep(record.id);  // right after the IDm's text, where RecordOf reads it
    ref |= kIdmKept;
  }
  slot = {key, static_cast<std::uint32_t>(record.row), ref};
}

void DoneCardTable::Remove(std::string_view idm) {
  if (slots_.empty()) return;
  const std::optional<std::uint64_t> value = IdmValue(idm);
  Slot& slot = slots_[SlotOf(value ? *value : ContentDigest(idm), !value, idm)];
  if (slot.ref == kEmpty || (slot.ref & kRemoved) != 0) return;
  slot.ref |= kRemoved;
  --done_;
}

CardRecord DoneCardTable::RecordOf(const Slot& slot) const {
  CardRecord record;
  std::uint32_t offset = slot.ref & kOffset;
  if ((slot.ref & kIdmKept) != 0) {
    record.idm = std::string(TextAt(offset));
  } else {
    char idm[17];
    std::snprintf(idm, sizeof idm, "%016llX", static_cast<unsigned long long>(slot.key));
    record.idm = idm;
  }
  record.id = std::string(TextAt(offset));
  record.row = slot.row;
  return record;
}

std::optional<CardRecord> DoneCardTable::Find(std::string_view idm) const {
  if (slots_.empty()) return std::nullopt;
  const std::optional<std::uint64_t> value = IdmValue(idm);
  const Slot& slot = slots_[SlotOf(value ? *value : ContentDigest(idm), !value, idm)];
  if (slot.ref == kEmpty || (slot.ref & kRemoved) != 0) return std::nullopt;
  return RecordOf(slot);
}

void DoneCardTable::ForEach(const std::function<void(const CardRecord&)>& each) const {
  for (const Slot& slot : slots_) {
    if (slot.ref != kEmpty && (slot.ref & kRemoved) == 0) each(RecordOf(slot));
  }
}

}  // namespace morvik
