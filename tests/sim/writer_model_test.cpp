#include "sim/writer_model.h"

#include <gtest/gtest.h>

#include <bit>
#include <numeric>

#include "hex_bytes.h"

namespace morvik::sim {
namespace {

using test::ByteVector;
using test::Hex;

// Requests, with the IDm 01 23 45 67 89 AB CD EF where they name a card.
const ByteVector kInformation = Hex("02 00 4F 02 F0 00 03 46 0D");
const ByteVector kF2 = Hex("02 00 4F 02 F2 00 03 48 0D");
const ByteVector k7F = Hex("02 00 7F 01 01 03 86 0D");
const ByteVector kDetect = Hex("02 00 78 02 01 00 03 80 0D");
const ByteVector kWrite5 =
    Hex("02 00 78 10 A1 05 04 11 22 33 44 01 01 23 45 67 89 AB CD EF 03 A2 0D");
const ByteVector kWriteOtherCard =
    Hex("02 00 78 10 A1 05 04 11 22 33 44 01 01 23 45 67 89 AB CD EE 03 A1 0D");
const ByteVector kWrite64 =
    Hex("02 00 78 10 A1 40 04 11 22 33 44 01 01 23 45 67 89 AB CD EF 03 DD 0D");
const ByteVector kRead4To7 = Hex("02 00 78 0C 23 04 04 01 01 23 45 67 89 AB CD EF 03 75 0D");
const ByteVector kRead62To65 = Hex("02 00 78 0C 23 3E 04 01 01 23 45 67 89 AB CD EF 03 AF 0D");

const ByteVector kBare = Hex("02 00 30 00 03 35 0D");
const ByteVector kNoCard = Hex("02 00 31 00 03 36 0D");
const ByteVector kWrongCard = Hex("02 00 32 00 03 37 0D");
const ByteVector kBadRequest = Hex("02 00 33 00 03 38 0D");
const ByteVector kInformationReply = Hex("02 00 30 08 F0 02 11 26 12 06 12 34 03 C4 0D");
const ByteVector kDetectionReply = Hex("02 00 30 0A 00 01 01 23 45 67 89 AB CD EF 03 00 0D");
const ByteVector kRead4To7Reply =
    Hex("02 00 30 11 00 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F 03 BE 0D");

// A card whose byte i holds the value i, with block 5 as kWrite5 leaves it.
CardImage CountingImage(bool block5 = false) {
  CardImage image{};
  std::iota(image.begin(), image.end(), std::uint8_t{0});
  if (block5) std::ranges::copy(Hex("11 22 33 44"), image.begin() + 20);
  return image;
}

// Each request kind answered byte for byte, and the card changed only by the accepted write.
TEST(WriterModel, AnswersEveryRequestKindByteForByte) {
  const struct {
    const char* what;
    bool cardPresent;
    ByteVector request, reply;
  } cases[] = {
      {"information", true, kInformation, kInformationReply},
      {"customer ID echo", true, Hex("02 00 4F 04 F1 00 12 AB 03 06 0D"), kBare},
      {"F2", true, kF2, kBare},
      {"7F", true, k7F, kBare},
      {"detection", true, kDetect, kDetectionReply},
      {"detection without card", false, kDetect, kNoCard},
      {"block write", true, kWrite5, kBare},
      {"block write, other IDm", true, kWriteOtherCard, kWrongCard},
      {"block write, block 64", true, kWrite64, kBadRequest},
      {"block write without card", false, kWrite5, kNoCard},
      {"block read", true, kRead4To7, kRead4To7Reply},
      {"block read past block 63", true, kRead62To65, kBadRequest},
      {"block read without card", false, kRead4To7, kNoCard},
      {"unknown command", true, Hex("02 00 55 00 03 5A 0D"), Hex("02 00 3F 00 03 44 0D")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriterModel model;
    model.InsertCard(kDefaultIdm, CountingImage());
    if (!c.cardPresent) model.RemoveCard();
    EXPECT_EQ(model.Receive(c.request), c.reply);
    EXPECT_EQ(model.requests(), std::vector<ByteVector>{c.request});
    const bool written = c.request == kWrite5 && c.reply == kBare;
    EXPECT_EQ(model.slot().memory, CountingImage(written));
    EXPECT_EQ(model.blockWrites(), written ? 1u : 0u);
  }
  // What was written reads back in place.
  WriterModel model;
  model.InsertCard(kDefaultIdm, CountingImage());
  model.Receive(kWrite5);
  EXPECT_EQ(model.Receive(kRead4To7),
            Hex("02 00 30 11 00 10 11 12 13 11 22 33 44 18 19 1A 1B 1C 1D 1E 1F 03 12 0D"));
}

// Line noise: one bit flipped in about one reply in N, the same for the same seed.
TEST(WriterModel, GarblesOneBitInAboutOneReplyInN) {
  WriterModel model, same;
  model.SetFaults({.garbleOneIn = 10, .garbleSeed = 7});
  same.SetFaults(model.faults());
  int flippedBits = 0;
  for (int i = 0; i < 1000; ++i) {
    const ByteVector reply = model.Receive(kDetect);
    EXPECT_EQ(same.Receive(kDetect), reply);
    for (std::size_t at = 0; at < reply.size(); ++at) {
      flippedBits += std::popcount(static_cast<std::uint8_t>(reply[at] ^ kDetectionReply[at]));
    }
  }
  EXPECT_EQ(flippedBits, model.garbledReplies());  // one bit in each garbled reply
  EXPECT_TRUE(flippedBits > 60 && flippedBits < 140) << flippedBits;
}

// The operator takes a card off only once the tool, done writing it, asks
// for a card again: a tool that stops for a while in the middle of a card
// finds it still there.
TEST(WriterModel, OperatorTakesTheCardOffOnlyOnceTheToolAsksForACardAgain) {
  WriterModel model;
  model.StartOperator({2, 500, 1000, kDefaultIdm}, 0);
  model.Receive(kWrite5);
  model.AdvanceTo(5000);  // silent for 5 s in the middle of the card
  EXPECT_TRUE(model.slot().present);
  EXPECT_EQ(model.Receive(kWrite5), kBare);
  model.AdvanceTo(5100);
  EXPECT_EQ(model.Receive(kDetect), kDetectionReply);
  model.AdvanceTo(5499);
  EXPECT_TRUE(model.slot().present);
  model.AdvanceTo(5500);
  EXPECT_FALSE(model.slot().present);
  EXPECT_EQ(model.cardsTakenOff().size(), 1u);
}

}  // namespace
}  // namespace morvik::sim
