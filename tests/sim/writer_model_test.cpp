#include "sim/writer_model.h"

#include <gtest/gtest.h>

#include <numeric>

#include "hex_bytes.h"

namespace morvik::sim {
namespace {

using test::ByteVector;
using test::Concat;
using test::Hex;

// Requests, with the IDm 01 23 45 67 89 AB CD EF where they name a card.
const ByteVector kInformation = Hex("02 00 4F 02 F0 00 03 46 0D");
const ByteVector kEcho12AB = Hex("02 00 4F 04 F1 00 12 AB 03 06 0D");
const ByteVector kF2 = Hex("02 00 4F 02 F2 00 03 48 0D");
const ByteVector k7F = Hex("02 00 7F 01 01 03 86 0D");
const ByteVector kDetect = Hex("02 00 78 02 01 00 03 80 0D");
const ByteVector kWriteBlock5 = Hex("02 00 78 10 A1 05 04 11 22 33 44 01 01 23 45 67 89 AB CD EF 03 A2 0D");
const ByteVector kWriteOtherCard = Hex("02 00 78 10 A1 05 04 11 22 33 44 01 01 23 45 67 89 AB CD EE 03 A1 0D");
const ByteVector kWriteBlock64 = Hex("02 00 78 10 A1 40 04 11 22 33 44 01 01 23 45 67 89 AB CD EF 03 DD 0D");
const ByteVector kReadBlocks8To11 = Hex("02 00 78 0C 23 08 04 01 01 23 45 67 89 AB CD EF 03 79 0D");
const ByteVector kReadBlocks62To65 = Hex("02 00 78 0C 23 3E 04 01 01 23 45 67 89 AB CD EF 03 AF 0D");
const ByteVector kUnknown = Hex("02 00 55 00 03 5A 0D");

const ByteVector kBare = Hex("02 00 30 00 03 35 0D");
const ByteVector kNoCard = Hex("02 00 31 00 03 36 0D");
const ByteVector kWrongCard = Hex("02 00 32 00 03 37 0D");
const ByteVector kBadRequest = Hex("02 00 33 00 03 38 0D");
const ByteVector kCardFailure = Hex("02 00 34 00 03 39 0D");
const ByteVector kInformationReply = Hex("02 00 30 08 F0 02 11 26 12 06 12 34 03 C4 0D");
const ByteVector kDetectionReply = Hex("02 00 30 0A 00 01 01 23 45 67 89 AB CD EF 03 00 0D");

// A card whose byte i holds the value i.
CardImage CountingImage() {
  CardImage image{};
  std::iota(image.begin(), image.end(), std::uint8_t{0});
  return image;
}

class WriterModelTest : public testing::Test {
 protected:
  WriterModelTest() { model.InsertCard(kDefaultIdm, CountingImage()); }
  ByteVector Send(const ByteVector& request) { return model.Receive(request); }

  WriterModel model;
};

struct Answer {
  const char* what;
  bool cardPresent;
  ByteVector request;
  ByteVector reply;
};

class WriterModelAnswerTest : public WriterModelTest, public testing::WithParamInterface<Answer> {};

TEST_P(WriterModelAnswerTest, AnswersByteForByte) {
  if (!GetParam().cardPresent) model.RemoveCard();
  EXPECT_EQ(Send(GetParam().request), GetParam().reply);
  ASSERT_EQ(model.requests().size(), 1u);
  EXPECT_EQ(model.requests()[0], GetParam().request);
}

INSTANTIATE_TEST_SUITE_P(
    EveryRequestKind, WriterModelAnswerTest,
    testing::Values(
        Answer{"information", true, kInformation, kInformationReply},
        Answer{"customer ID echo", true, kEcho12AB, kBare},
        Answer{"F2", true, kF2, kBare},
        Answer{"7F", true, k7F, kBare},
        Answer{"detection", true, kDetect, kDetectionReply},
        Answer{"detection without card", false, kDetect, kNoCard},
        Answer{"block write", true, kWriteBlock5, kBare},
        Answer{"block write, other IDm", true, kWriteOtherCard, kWrongCard},
        Answer{"block write, block 64", true, kWriteBlock64, kBadRequest},
        Answer{"block write without card", false, kWriteBlock5, kNoCard},
        Answer{"block read", true, kReadBlocks8To11,
               Hex("02 00 30 11 00 20 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D 2E 2F 03 BE 0D")},
        Answer{"block read past block 63", true, kReadBlocks62To65, kBadRequest},
        Answer{"block read without card", false, kReadBlocks8To11, kNoCard},
        Answer{"unknown command", true, kUnknown, Hex("02 00 3F 00 03 44 0D")}),
    [](const auto& info) {
      std::string name = info.param.what;
      std::erase_if(name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); });
      return name;
    });

TEST_F(WriterModelTest, BlockWriteChangesOnlyItsBlockAndReadsBack) {
  ASSERT_EQ(Send(kWriteBlock5), kBare);
  CardImage expected = CountingImage();
  expected[20] = 0x11;
  expected[21] = 0x22;
  expected[22] = 0x33;
  expected[23] = 0x44;
  EXPECT_EQ(model.slot().memory, expected);
  EXPECT_EQ(model.blockWrites(), 1u);
  // Blocks 4 to 7: 10 11 12 13, then the new block 5, then bytes 24 to 31.
  const ByteVector read = Hex("02 00 78 0C 23 04 04 01 01 23 45 67 89 AB CD EF 03 75 0D");
  EXPECT_EQ(Send(read), Hex("02 00 30 11 00 10 11 12 13 11 22 33 44 18 19 1A 1B 1C 1D 1E 1F 03 12 0D"));
}

TEST_F(WriterModelTest, RefusedWritesLeaveTheCardAlone) {
  for (const ByteVector& request : {kWriteOtherCard, kWriteBlock64}) Send(request);
  model.RemoveCard();
  Send(kWriteBlock5);
  EXPECT_EQ(model.slot().memory, CountingImage());
  EXPECT_EQ(model.blockWrites(), 0u);
}

TEST_F(WriterModelTest, FramesAreFoundInAnyPiecesAndAmidNoise) {
  const struct {
    const char* what;
    std::vector<ByteVector> pieces;
    ByteVector replies;
    std::size_t requests;
  } cases[] = {
      {"byte by byte",
       {Hex("02"), Hex("00"), Hex("4F"), Hex("02"), Hex("F0"), Hex("00"), Hex("03"), Hex("46"), Hex("0D")},
       kInformationReply, 1},
      {"noise first", {Hex("FF 0D 00 02 02"), kF2}, kBare, 1},
      {"two requests in one piece", {Concat(kF2, kDetect)}, Concat(kBare, kDetectionReply), 2},
      {"a stray head promising 255 bytes", {Hex("02 00 4F FF 01"), k7F}, kBare, 1},
      {"split in two", {Hex("02 00 7F 01"), Hex("01 03 86 0D")}, kBare, 1},
      {"bad sum is ignored", {Hex("02 00 7F 01 01 03 87 0D"), k7F}, kBare, 1},
      {"bare CR", {Hex("0D 0D 0D")}, {}, 0},
  };
  for (const auto& c : cases) {
    WriterModel fresh;
    ByteVector replies;
    for (const ByteVector& piece : c.pieces) {
      const ByteVector out = fresh.Receive(piece);
      replies.insert(replies.end(), out.begin(), out.end());
    }
    EXPECT_EQ(replies, c.replies) << c.what;
    EXPECT_EQ(fresh.requests().size(), c.requests) << c.what;
  }
}

TEST_F(WriterModelTest, SilentToTheFirstInformationRequestsOnly) {
  model.SetFaults({.silentInformationRequests = 2});
  EXPECT_TRUE(Send(kInformation).empty());
  EXPECT_EQ(Send(k7F), kBare);
  EXPECT_TRUE(Send(kInformation).empty());
  EXPECT_EQ(Send(kInformation), kInformationReply);
  EXPECT_EQ(model.CountRequests(RequestKind::kInformation), 3);
}

// Each reply fault aimed at the second of three 7F requests.
TEST_F(WriterModelTest, ReplyFaultsHitTheAimedRequestOnly) {
  const struct {
    const char* what;
    Faults faults;
    ByteVector second;
  } cases[] = {
      {"bad sum", {.badSumAt = 2}, Hex("02 00 30 00 03 36 0D")},
      {"error status", {.errorStatusAt = 2}, kCardFailure},
      {"payload of 1", {.resizedPayloadAt = 2, .resizedPayloadLength = 1}, Hex("02 00 30 01 00 03 36 0D")},
      {"trailing bytes", {.trailingBytesAt = 2, .trailingBytes = {0xAA, 0xBB}}, Concat(kBare, Hex("AA BB"))},
  };
  for (const auto& c : cases) {
    Send(k7F);  // before the faults: not counted
    model.SetFaults(c.faults);
    EXPECT_EQ(Send(k7F), kBare) << c.what;
    EXPECT_EQ(Send(k7F), c.second) << c.what;
    EXPECT_EQ(Send(k7F), kBare) << c.what;
  }
}

TEST_F(WriterModelTest, ErrorStatusLeavesTheCardUnwritten) {
  model.SetFaults({.errorStatusAt = 1});
  EXPECT_EQ(Send(kWriteBlock5), kCardFailure);
  EXPECT_EQ(model.slot().memory, CountingImage());
}

TEST_F(WriterModelTest, DroppedLineCutsTheReplyAndHearsNothingMore) {
  model.SetFaults({.dropLineAfterBytes = 10});
  EXPECT_EQ(Send(kInformation), Hex("02 00 30 08 F0 02 11 26 12 06"));
  EXPECT_TRUE(model.lineDropped());
  EXPECT_TRUE(Send(k7F).empty());
  EXPECT_EQ(model.requests().size(), 1u);
  model.SetFaults({});
  EXPECT_EQ(Send(k7F), kBare);
}

TEST_F(WriterModelTest, CardTakenOffAfterTwoWrites) {
  model.SetFaults({.removeCardAfterWrites = 2});
  EXPECT_EQ(Send(kWriteBlock5), kBare);
  EXPECT_EQ(Send(kWriteBlock5), kBare);
  EXPECT_EQ(Send(kWriteBlock5), kNoCard);
  EXPECT_EQ(Send(kDetect), kNoCard);
}

TEST_F(WriterModelTest, SecondBlockWriteFails) {
  model.SetFaults({.failBlockWriteAt = 2});
  const ByteVector writeBlock6 =
      Hex("02 00 78 10 A1 06 04 55 66 77 88 01 01 23 45 67 89 AB CD EF 03 B3 0D");
  EXPECT_EQ(Send(kDetect), kDetectionReply);  // not a block write: not counted
  EXPECT_EQ(Send(kWriteBlock5), kBare);
  EXPECT_EQ(Send(writeBlock6), kCardFailure);
  EXPECT_EQ(model.slot().memory[24], 24);
  EXPECT_EQ(Send(writeBlock6), kBare);
  EXPECT_EQ(model.slot().memory[24], 0x55);
}

TEST_F(WriterModelTest, NextTwoReadsFail) {
  model.SetFaults({.failReads = 2});
  EXPECT_EQ(Send(kReadBlocks8To11), kCardFailure);
  EXPECT_EQ(Send(kReadBlocks8To11), kCardFailure);
  EXPECT_EQ(Send(kReadBlocks8To11).size(), 24u);
}

TEST_F(WriterModelTest, SwappedCardAnswersWithItsOwnIdm) {
  model.SetFaults({.swapCardAfterDetections = 1, .swapIdm = {1, 2, 3, 4, 5, 6, 7, 8}});
  EXPECT_EQ(Send(kDetect), kDetectionReply);
  EXPECT_EQ(Send(kDetect), Hex("02 00 30 0A 00 01 01 02 03 04 05 06 07 08 03 64 0D"));
  EXPECT_EQ(Send(kWriteBlock5), kWrongCard);
  EXPECT_EQ(model.slot().memory, CardImage{});
}

}  // namespace
}  // namespace morvik::sim
