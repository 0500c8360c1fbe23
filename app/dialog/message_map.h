// Command tables: each class keeps one static table mapping a message (and,
// for commands, an identifier and notification) to a handler. Lookup runs the
// class's own entries in order, then its base class's table.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <type_traits>

#include "app/dialog/message.h"

namespace morvik {

class CCmdTarget;
using MessageHandler = std::intptr_t (*)(CCmdTarget& target, const Message& message);

struct MessageMapEntry {
  unsigned message = 0;
  int commandId = 0;          // commands only
  unsigned notification = 0;  // commands only
  MessageHandler handler = nullptr;

  constexpr bool Matches(const Message& incoming) const {
    if (incoming.message != message) return false;
    if (message != WM_COMMAND) return true;
    return CommandIdOf(incoming) == commandId && NotificationOf(incoming) == notification;
  }
};

struct MessageMap {
  const MessageMap* base = nullptr;
  std::span<const MessageMapEntry> entries;

  const MessageMapEntry* Find(const Message& message) const;
};

class CCmdTarget {
 public:
  virtual ~CCmdTarget() = default;
  // Runs the handler the class's table gives for the message; nullopt when
  // no table along the chain has one.
  std::optional<std::intptr_t> RouteMessage(const Message& message);

  static const MessageMap& ClassMessageMap();

 protected:
  virtual const MessageMap& GetMessageMap() const { return ClassMessageMap(); }
};

// Builds the entries of T's table. A handler takes nothing, or the message's
// two parameters; what it returns (if anything) becomes the message's result.
template <class T>
struct MessageMapFor {
  template <auto Method>
  static constexpr MessageMapEntry Command(int commandId, unsigned notification = kBnClicked) {
    return {WM_COMMAND, commandId, notification, &Invoke<Method>};
  }

  template <auto Method>
  static constexpr MessageMapEntry On(unsigned message) {
    return {message, 0, 0, &Invoke<Method>};
  }

 private:
  template <auto Method>
  static std::intptr_t Invoke(CCmdTarget& target, const Message& message) {
    T& self = static_cast<T&>(target);
    using M = decltype(Method);
    if constexpr (std::is_invocable_v<M, T&>) {
      return ResultOf([&] { return std::invoke(Method, self); });
    } else {
      return ResultOf([&] { return std::invoke(Method, self, message.wParam, message.lParam); });
    }
  }

  template <class Call>
  static std::intptr_t ResultOf(Call call) {
    if constexpr (std::is_void_v<decltype(call())>) {
      call();
      return 0;
    } else {
      return static_cast<std::intptr_t>(call());
    }
  }
};

}  // namespace morvik
