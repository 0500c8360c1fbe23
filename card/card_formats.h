// The ways a 256-byte card image is written out besides the dump listing:
// hexadecimal lines and a JSON record. Pure functions over the bytes.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "content/content_settings.h"

namespace morvik {

// 16 lines of 16 bytes, each byte as two upper-case digits, spaces between, LF ended.
std::string HexLines(std::span<const std::uint8_t, kContentImageSize> card);

// The 256 bytes as 512 upper-case hexadecimal digits without separators.
std::string HexDigits(std::span<const std::uint8_t, kContentImageSize> card);

// A text (UTF-8) describing a part of a card: what a person reads it as
// (label) and what JSON calls it (key: ASCII snake_case).
struct CardField {
  std::string label;
  std::string key;
  std::string value;

  friend bool operator==(const CardField&, const CardField&) = default;
};
// In the order they are shown.
using CardFields = std::vector<CardField>;

// {"idm":...,"image":512 digits,"decoded":{key:text,...}} on one line, LF
// ended; "idm" is left out when empty.
std::string CardJson(std::string_view idm, std::span<const std::uint8_t, kContentImageSize> card,
                     const CardFields& fields);

}  // namespace morvik
