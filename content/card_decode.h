// What a 256-byte card image means: the inverse of the content image builder,
// also recognising the service cards. Pure: bytes in, fields out.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "content/content_settings.h"

namespace morvik {

enum class CardKind { kBlank, kContent, kInitialisation, kRead, kUidSetting, kUnknown };

// Where the terminal fills in the IDm (and the counter, with 20 blanks instead of 16).
struct KeywordBlank {
  std::size_t imageOffset;  // the first blank's byte in the image
  bool counter;
};

// The texts as the card holds them, the popup with its terminator; the list
// positions as stored (the mode in 0-7). Content cards only.
struct DecodedCard : CardTexts, TerminalChoices {
  CardKind kind = CardKind::kUnknown;
  std::array<std::uint8_t, 2> customerId{};  // bytes 4-5
  std::array<std::uint8_t, 2> startUid{};    // UID setting card only
  bool mail = false;
  std::optional<KeywordBlank> urlBlank, mailBlank;
  bool checkByteRight{};
  // False when a length points past the sections' room: the texts are cut.
  bool sectionsWhole = true;
};

DecodedCard DecodeCard(std::span<const std::uint8_t, kContentImageSize> image);

// A card of a kind this system writes whose check byte is wrong or whose
// sections run past their room: the terminal would not read it as written.
bool IsDamaged(const DecodedCard& card);
// What is wrong with a damaged card: "check byte wrong", "sections cut" or both.
std::string DamageText(const DecodedCard& card);

}  // namespace morvik
