#include "app/dialog/message_map.h"

namespace morvik {

const MessageMapEntry* MessageMap::Find(const Message& message) const {
  for (const MessageMap* map = this; map != nullptr; map = map->base) {
    for (const MessageMapEntry& entry : map->entries) {
      if (entry.Matches(message)) return &entry;
    }
  }
  return nullptr;
}

const MessageMap& CCmdTarget::ClassMessageMap() {
  static const MessageMap map{};
  return map;
}

std::optional<std::intptr_t> CCmdTarget::RouteMessage(const Message& message) {
  const MessageMapEntry* entry = GetMessageMap().Find(message);
  if (entry == nullptr) return std::nullopt;
  return entry->handler(*this, message);
}

}  // namespace morvik
