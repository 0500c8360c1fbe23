#include "card/block_commands.h"

#include <algorithm>
#include <cstdio>

#include "link/number_text.h"
#include "link/writer_frame.h"

namespace morvik {
namespace {

// Puts the sum over everything before it and the CR behind it.
template <std::size_t N>
void SealFrame(std::array<std::uint8_t, N>& frame) {
  frame[N - 2] = FrameSum(std::span(frame).first(N - 2));
  frame[N - 1] = kCr;
}

}  // namespace

std::array<std::uint8_t, kWriteBlockRequestSize> WriteBlockRequest(
    std::span<const std::uint8_t, kBlockSize> data, std::uint8_t block, const CardIdm& idm) {
  std::array<std::uint8_t, kWriteBlockRequestSize> frame{
      kStx, 0x00, kCardCommand, 0x10, kSelectBlockWrite, block, 0x04};
  std::copy(data.begin(), data.end(), frame.begin() + 7);
  frame[11] = 0x01;
  std::copy(idm.begin(), idm.end(), frame.begin() + 12);
  frame[20] = kEtx;
  SealFrame(frame);
  return frame;
}

std::array<std::uint8_t, kReadBlocksRequestSize> ReadBlocksRequest(std::uint8_t firstBlock,
                                                                   std::uint8_t blockCount,
                                                                   const CardIdm& idm) {
  std::array<std::uint8_t, kReadBlocksRequestSize> frame{
      kStx, 0x00, kCardCommand, 0x0C, kSelectBlockRead, firstBlock, blockCount, 0x01};
  std::copy(idm.begin(), idm.end(), frame.begin() + 8);
  frame[16] = kEtx;
  SealFrame(frame);
  return frame;
}

std::string IdmText(const CardIdm& idm) {
  std::string text;
  char digits[3];
  for (std::uint8_t byte : idm) {
    std::snprintf(digits, sizeof digits, "%02X", byte);
    text += digits;
  }
  return text;
}

ContentImage UidSettingCard(std::span<const std::uint8_t, 2> startUid) {
  ContentImage image{};
  image[0] = 0x4D;
  image[1] = 0x76;
  image[2] = 0xFF;
  image[3] = 0x03;
  image[4] = startUid[0];
  image[5] = startUid[1];
  return image;
}

std::optional<std::int32_t> ParseTypedNumber(std::string_view text) {
  if (text.empty()) return 0;
  const std::optional<std::uint32_t> bits = ScanHexNumber(text);
  if (!bits) return std::nullopt;
  return static_cast<std::int32_t>(*bits);
}

std::optional<std::int32_t> ParseCardNumber(std::string_view text) {
  const std::optional<std::int32_t> number = ParseTypedNumber(text);
  if (!number || static_cast<std::uint32_t>(*number) > 0xFFFF) return std::nullopt;
  return number;
}

std::optional<int> FirstDifferingBlock(std::span<const std::uint8_t, kContentImageSize> image,
                                       std::span<const std::uint8_t, kContentImageSize> card) {
  const auto [inImage, onCard] = std::mismatch(image.begin(), image.end(), card.begin());
  if (inImage == image.end()) return std::nullopt;
  return static_cast<int>((inImage - image.begin()) / kBlockSize);
}

std::string CardListing(std::span<const std::uint8_t, kContentImageSize> card) {
  std::string listing;
  listing.reserve(16 * 52);
  char hex[3];
  for (std::size_t line = 0; line < 16; ++line) {
    const auto bytes = card.subspan(line * 16, 16);
    for (std::uint8_t byte : bytes) {
      std::snprintf(hex, sizeof hex, "%02X", byte);
      listing += hex;
    }
    listing += "  ";
    for (std::uint8_t byte : bytes) {
      listing += (byte >= 0x20 && byte <= 0x7E) ? static_cast<char>(byte) : '.';
    }
    listing += "\r\n";
  }
  return listing;
}

}  // namespace morvik
