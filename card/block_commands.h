// The card commands' request frames and the images the service commands write.
// Pure functions: nothing here touches a port.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "content/content_settings.h"

namespace morvik {

using CardIdm = std::array<std::uint8_t, 8>;
inline constexpr int kCardBlocks = 64;
inline constexpr int kBlockSize = 4;
inline constexpr std::size_t kWriteBlockRequestSize = 23;
inline constexpr std::size_t kReadBlocksRequestSize = 19;
inline constexpr std::uint8_t kSelectBlockWrite = 0xA1;
inline constexpr std::uint8_t kSelectBlockRead = 0x23;

// 02 00 78 10 A1 n 04 d0-d3 01 idm[8] 03 sum 0D
std::array<std::uint8_t, kWriteBlockRequestSize> WriteBlockRequest(
    std::span<const std::uint8_t, kBlockSize> data, std::uint8_t block, const CardIdm& idm);
// 02 00 78 0C 23 n k 01 idm[8] 03 sum 0D
std::array<std::uint8_t, kReadBlocksRequestSize> ReadBlocksRequest(std::uint8_t firstBlock,
                                                                   std::uint8_t blockCount,
                                                                   const CardIdm& idm);

// The IDm as 16 upper-case hexadecimal digits.
std::string IdmText(const CardIdm& idm);

// "Mv" FF 03, the start UID (high byte first), then 250 zero bytes.
ContentImage UidSettingCard(std::span<const std::uint8_t, 2> startUid);

// The number typed for a service card, read as the "%X" conversion reads it:
// leading white space, a sign and a 0x prefix accepted, reading stops at the
// first character that is not a hexadecimal digit. An empty text is 0.
// nullopt when the text does not begin with a hexadecimal number or holds
// a number larger than 32 bits hold: such a text is refused, never guessed at.
std::optional<std::int32_t> ParseTypedNumber(std::string_view text);

// A typed number the card can hold: it goes to the card as two bytes, so a
// number above FFFF (also one made by a minus sign) is refused like a text
// that is no number, rather than cut to its low 16 bits.
std::optional<std::int32_t> ParseCardNumber(std::string_view text);

// The first block (0-63) where the card differs from the image; nullopt when
// every byte matches.
std::optional<int> FirstDifferingBlock(std::span<const std::uint8_t, kContentImageSize> image,
                                       std::span<const std::uint8_t, kContentImageSize> card);

// The dump listing: 16 lines of 16 bytes, each "%02X" x16, two spaces, the
// bytes 0x20-0x7E as characters and every other byte as ".", then CR LF.
std::string CardListing(std::span<const std::uint8_t, kContentImageSize> card);

}  // namespace morvik
