// The shape of code page 932 text: which bytes start a double-byte character.
#pragma once

namespace morvik {

// True for a byte that starts a double-byte character.
constexpr bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace morvik
