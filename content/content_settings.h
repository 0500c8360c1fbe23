// The operator's entries and choices for one content card, the keyword marks
// derived from them, and the 256-byte image the card receives.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "content/card_fields.h"

namespace morvik {

struct ContentSettings : CardTexts, TerminalChoices {
  std::int32_t mailEnabled = 0;
  std::int32_t urlHasIdm = 0;
  std::int32_t urlHasCounter = 0;
  std::int32_t mailHasIdm = 0;
  std::int32_t mailHasCounter = 0;
  std::int32_t urlIdmOffset = 0;
  std::int32_t mailIdmOffset = 0;
  std::int32_t initCard = 0;
};

inline constexpr std::size_t kContentImageSize = 256;
using ContentImage = std::array<std::uint8_t, kContentImageSize>;

// The values the main window keeps beside ContentSettings for the whole run.
struct ContentValues {
  std::array<std::uint8_t, 2> customerId{};  // most significant byte first
  std::int32_t serviceCid = 0;
  std::uint8_t readCardMark = 0;
};

// The window's reset: empty texts, marks 0, volume 3, sound type 0, LED
// pattern 3. Mode, release time and auto-off time are left as they are.
void ResetContentSettings(ContentSettings& settings);

}  // namespace morvik
