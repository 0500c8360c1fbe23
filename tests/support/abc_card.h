// The content card most tests write: URL "abc", empty popup, no mail, every
// list at its default, for a given customer ID. Bytes as worked out by hand;
// the check byte (sum of bytes 8-11, 14, 15 and 16-247) depends on the
// customer ID: 0x85 for 12 34, 0xB7 for AB CD.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace morvik::test {

inline std::array<std::uint8_t, 256> AbcContentCard(std::uint8_t cidHigh, std::uint8_t cidLow,
                                                    std::uint8_t checkByte) {
  std::array<std::uint8_t, 256> card{};
  const std::uint8_t head[] = {0x4D, 0x76, 0x00, 0x02, cidHigh, cidLow, 0x00, 0x00, 0x01,
                               cidHigh, cidLow, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0B,
                               0x01, 0x02, 0x05, 0x00, 0x03, 0x00, 0x61, 0x62, 0x63};
  const std::uint8_t tail[] = {checkByte, 0x00, cidHigh, cidLow, 0x00, 0x00, 0x3C, 0x00};
  std::copy(std::begin(head), std::end(head), card.begin());
  std::copy(std::begin(tail), std::end(tail), card.begin() + 248);
  return card;
}

inline std::string AsString(const std::array<std::uint8_t, 256>& card) {
  return std::string(card.begin(), card.end());
}

}  // namespace morvik::test
