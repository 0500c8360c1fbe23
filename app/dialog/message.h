// Window messages as the dialog framework routes them: a message number and
// two parameters. A command carries its identifier in the low 16 bits of the
// first parameter and its notification in the high 16 bits.
#pragma once

#include <cstdint>

namespace morvik {

inline constexpr unsigned WM_DESTROY = 0x0002;
inline constexpr unsigned WM_PAINT = 0x000F;
inline constexpr unsigned WM_QUERYDRAGICON = 0x0037;
inline constexpr unsigned WM_INITDIALOG = 0x0110;
inline constexpr unsigned WM_COMMAND = 0x0111;
inline constexpr unsigned WM_SYSCOMMAND = 0x0112;

inline constexpr unsigned kBnClicked = 0;      // button and menu notification
inline constexpr unsigned kCbnSelChange = 1;   // a list's selection changed
inline constexpr unsigned kLvnRowSelected = 2; // a list view's row became selected: the row in lParam

inline constexpr unsigned kScClose = 0xF060;   // system command: the close box
inline constexpr unsigned kScMinimize = 0xF020;
inline constexpr unsigned kSysCommandMask = 0xFFF0;

struct Message {
  unsigned message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

constexpr Message CommandMessage(int commandId, unsigned notification = kBnClicked) {
  const auto id = static_cast<std::uintptr_t>(commandId) & 0xFFFF;
  return {WM_COMMAND, (static_cast<std::uintptr_t>(notification) << 16) | id, 0};
}

constexpr Message SystemCommandMessage(unsigned value) { return {WM_SYSCOMMAND, value, 0}; }

constexpr int CommandIdOf(const Message& message) {
  return static_cast<int>(message.wParam & 0xFFFF);
}

constexpr unsigned NotificationOf(const Message& message) {
  return static_cast<unsigned>((message.wParam >> 16) & 0xFFFF);
}

// Receives the messages of one window; the dialog implements it.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual std::intptr_t Dispatch(const Message& message) = 0;
};

}  // namespace morvik
