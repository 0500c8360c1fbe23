// The dialog keys: Enter presses the push button that has the focus and
// otherwise raises command 1; Escape raises command 2 (cancel).
#pragma once

#include "app/layout/dialog_template.h"

namespace morvik {

inline constexpr int kEnterDefaultCommand = 1;
inline constexpr int kEscapeCommand = 2;

// The command Enter raises; focused is the item with the focus, or nullptr.
constexpr int EnterKeyCommand(const DialogItem* focused) {
  if (focused != nullptr && focused->kind == ItemKind::kPushButton) return focused->id;
  return kEnterDefaultCommand;
}

}  // namespace morvik
