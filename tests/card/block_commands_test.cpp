#include "card/block_commands.h"

#include <gtest/gtest.h>

#include <vector>

namespace morvik {
namespace {

using V = std::vector<std::uint8_t>;
const CardIdm kIdm{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};

TEST(BlockRequests, WriteAndReadFramesByteForByte) {
  const std::array<std::uint8_t, 4> data{0x11, 0x22, 0x33, 0x44};
  const auto write = WriteBlockRequest(data, 5, kIdm);
  EXPECT_EQ(V(write.begin(), write.end()),
            (V{0x02, 0x00, 0x78, 0x10, 0xA1, 0x05, 0x04, 0x11, 0x22, 0x33, 0x44, 0x01,
               0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0x03, 0xA2, 0x0D}));
  const auto read = ReadBlocksRequest(8, 4, kIdm);
  EXPECT_EQ(V(read.begin(), read.end()),
            (V{0x02, 0x00, 0x78, 0x0C, 0x23, 0x08, 0x04, 0x01, 0x01, 0x23, 0x45, 0x67, 0x89,
               0xAB, 0xCD, 0xEF, 0x03, 0x79, 0x0D}));
}

TEST(TypedNumber, ReadsAsTheHexConversionDoesAndRefusesWhatItCannotRead) {
  const struct {
    const char* text;
    std::optional<std::int32_t> number;
  } table[] = {
      {"", 0},
      {"1A2B", 0x1A2B},
      {"1a2b", 0x1A2B},
      {"  0x1A2B", 0x1A2B},
      {"0X00ff", 0xFF},
      {"+ff", 0xFF},
      {"-1", -1},
      {"12G4", 0x12},        // reading stops at the first non-digit
      {"10000", 0x10000},
      {"FFFFFFFF", -1},
      {"0x", 0},             // the 0 is read, the x ends the number
      {"G12", std::nullopt},  // does not begin with a number
      {" ", std::nullopt},
      {"-", std::nullopt},
      {"123456789", std::nullopt},  // more than 32 bits
      {"00000000000001", 1},        // leading zeros take no bits
  };
  for (const auto& row : table) {
    EXPECT_EQ(ParseTypedNumber(row.text), row.number) << '"' << row.text << '"';
  }
}

TEST(CardListing, LinesShowHexThenPrintableCharacters) {
  ContentImage card{};
  for (int i = 0; i < 16; ++i) card[i] = static_cast<std::uint8_t>(0x30 + i);
  const std::uint8_t mixed[6] = {0x7F, 0x80, 0xFF, 0x00, 0x20, 0x41};
  std::copy(std::begin(mixed), std::end(mixed), card.begin() + 16);
  const std::string listing = CardListing(card);
  ASSERT_EQ(listing.size(), 832u);
  EXPECT_EQ(listing.substr(0, 52),
            "303132333435363738393A3B3C3D3E3F  0123456789:;<=>?\r\n");
  EXPECT_EQ(listing.substr(52, 52),
            "7F80FF00204100000000000000000000  .... A..........\r\n");
  const std::string zeroLine = std::string(32, '0') + "  " + std::string(16, '.') + "\r\n";
  for (int line = 2; line < 16; ++line) EXPECT_EQ(listing.substr(line * 52, 52), zeroLine);
}

}  // namespace
}  // namespace morvik
