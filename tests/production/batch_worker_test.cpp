// One writer of a production run on the in-process simulator, in virtual time:
// which cards get written, how each ends, and what the card holds afterwards.
#include "production/batch_worker.h"

#include <gtest/gtest.h>

#include "sim/loopback_serial.h"

namespace morvik {
namespace {

using R = CardResult;
constexpr int kStoppedBlock = -1;  // the block the writer had reached when stopped
constexpr std::uint64_t kPartWay = ~std::uint64_t{0};

struct Scenario {
  const char* name;
  int operatorCards;  // 0: one card that stays on the writer
  sim::Faults faults;
  int budget;
  std::int64_t softStopMs = 600'000;  // first interrupt
  std::int64_t hardStopMs = 600'000;  // second interrupt
  std::vector<std::pair<R, int>> expected;
  std::uint64_t blockWrites;  // kPartWay: the card stopped part way
  std::int64_t unpluggedMs = 0;  // from then on the writer is gone
  const char* problem = "";      // the writer's, at the end
  bool verify = true;
};

ContentImage Pattern() {
  ContentImage image;
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 1);
  return image;
}

class BatchWorkerTest : public testing::TestWithParam<Scenario> {};

TEST_P(BatchWorkerTest, EachCardIsWrittenOnceAndReportedWithWhereItFailed) {
  const Scenario& s = GetParam();
  sim::VirtualClock clock;
  sim::LoopbackPlatform platform(clock);
  sim::WriterModel writer;
  platform.AttachWriter(4, writer);
  writer.SetFaults(s.faults);
  writer.StartOperator({s.operatorCards, 500, 1000}, 0);
  if (s.unpluggedMs > 0) clock.At(s.unpluggedMs, [&platform] { platform.port(4).lineDropped = true; });

  OneImagePlan plan([](CustomerId) { return Pattern(); }, s.budget);
  DoneCards done;
  std::vector<CardRecord> records;
  BatchContext context;
  context.plan = &plan;
  context.done = &done;
  context.starting = [](const CardRecord&) { return true; };
  context.verify = s.verify;
  context.stopAfterCard = [&] { return clock.NowMs() >= s.softStopMs; };
  context.stopNow = [&] { return clock.NowMs() >= s.hardStopMs; };
  context.report = [&](const CardRecord& r) {
    EXPECT_TRUE(r.seconds > 0 && r.seconds * 1000 <= static_cast<double>(clock.NowMs())) << r.seconds;  // this card's
    records.push_back(r);
  };
  BatchWorker worker(platform, clock, context);
  ASSERT_TRUE(worker.Connect({"COM2", "COM4"}));
  worker.Run();

  ASSERT_EQ(records.size(), s.expected.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    const int block = s.expected[i].second == kStoppedBlock ? static_cast<int>(writer.blockWrites())
                                                            : s.expected[i].second;
    EXPECT_EQ(records[i].port, "COM4");
    EXPECT_EQ(records[i].idm, IdmText(sim::OperatorCardIdm(sim::kDefaultIdm, static_cast<int>(i) + 1)));
    EXPECT_EQ(records[i].result, s.expected[i].first) << i;
    EXPECT_EQ(records[i].verified, s.verify) << i;
    if (records[i].result != R::kOk) {
      EXPECT_EQ(records[i].block, block) << i;
    }
  }
  if (s.blockWrites != kPartWay) {
    EXPECT_EQ(writer.blockWrites(), s.blockWrites);
  } else {
    EXPECT_TRUE(writer.blockWrites() > 0 && writer.blockWrites() < 64);
  }
  EXPECT_EQ(worker.tally().cards(), static_cast<int>(records.size()));
  EXPECT_EQ(worker.tally().problem, s.problem);
  if (!records.empty() && records.back().result == R::kOk) {
    EXPECT_EQ(writer.slot().memory, Pattern());
  }
}

sim::Faults FailWrite(int n, int tries = 3) { return {.failBlockWriteAt = n, .aimedRun = tries}; }  // every try
sim::Faults RemoveAfter(int n) { return {.removeCardAfterWrites = n}; }
sim::Faults WrongByte(int block) { return {.wrongByteBlock = block}; }

INSTANTIATE_TEST_SUITE_P(
    Loopback, BatchWorkerTest,
    testing::Values(
        Scenario{"CardThatStaysIsWrittenOnce", 0, {}, 3, 120'000, 600'000, {{R::kOk, 0}}, 64},
        Scenario{"RemovalThenANewCard", 3, {}, 3, 600'000, 600'000, {{R::kOk, 0}, {R::kOk, 0}, {R::kOk, 0}}, 192},
        Scenario{"FailedBlock", 2, FailWrite(10), 2, 600'000, 600'000, {{R::kWriteFailed, 9}, {R::kOk, 0}}, 73},
        Scenario{"WrongStoredByte", 1, WrongByte(37), 1, 600'000, 600'000, {{R::kVerifyFailed, 37}}, 64},
        Scenario{"UnreadableCard", 1, {.failReads = 3}, 1, 600'000, 600'000, {{R::kVerifyFailed, 0}}, 64},
        Scenario{"CardTakenAway", 1, RemoveAfter(20), 1, 600'000, 600'000, {{R::kRemoved, 20}}, 20},
        Scenario{"FirstInterruptFinishesTheCard", 3, {}, 3, 5'000, 600'000, {{R::kOk, 0}}, 64},
        Scenario{"LostForGoodUntilTheRunEnds", 0, {}, 3, 40'000, 600'000, {{R::kOk, 0}}, 64, 30'000, "writer lost"},
        Scenario{"LostDuringTheReadBack", 0, {}, 3, 40'000, 600'000, {{R::kWriterLost, 8}}, 64, 15'000, "writer lost"},
        Scenario{"ThreeFailedCardsInARowSetTheWriterAside", 5, FailWrite(1, 1000), 5, 600'000, 600'000,
                 {{R::kWriteFailed, 0}, {R::kWriteFailed, 0}, {R::kWriteFailed, 0}}, 0, 0,
                 "set aside after three failed cards in a row"},
        Scenario{"NotReadBack", 2, {}, 2, 600'000, 600'000, {{R::kOk, 0}, {R::kOk, 0}}, 128, 0, "", false},
        // Still busy with the remains of a killed run's frame: asked again until it answers.
        Scenario{"SilentAtFirst", 1, {.silentInformationRequests = 3}, 1, 600'000, 600'000, {{R::kOk, 0}}, 64},
        Scenario{"SecondInterruptStopsAtOnce", 3, {}, 3, 5'000, 5'000, {{R::kInterrupted, kStoppedBlock}}, kPartWay}),
    [](const auto& info) { return std::string(info.param.name); });

// Line noise in virtual time, either reply end: one reply in sixty garbled at random over
// 100 cards. Resending rides it out, and a card reported ok holds the image.
class BatchWorkerNoise : public testing::TestWithParam<bool> {};

TEST_P(BatchWorkerNoise, OneReplyInSixtyGarbledCostsResendsNotCards) {
  sim::VirtualClock clock;
  sim::LoopbackPlatform platform(clock);
  sim::WriterModel writer;
  platform.AttachWriter(1, writer);
  writer.SetFaults({.garbleOneIn = 60, .garbleSeed = 24});
  writer.StartOperator({100, 500, 1000}, 0);
  OneImagePlan plan([](CustomerId) { return Pattern(); }, 100);
  DoneCards done;
  int ok = 0, resends = 0;
  BatchContext context;
  context.plan = &plan;
  context.done = &done;
  context.starting = [](const CardRecord&) { return true; };
  context.fast = GetParam();
  context.stopAfterCard = context.stopNow = [] { return false; };
  context.report = [&](const CardRecord& r) {
    resends += r.resends;
    if (r.result != R::kOk) return;
    ++ok;
    EXPECT_EQ(IdmText(writer.slot().idm), r.idm);
    EXPECT_EQ(writer.slot().memory, Pattern()) << r.idm;
  };
  BatchWorker worker(platform, clock, context);
  ASSERT_TRUE(worker.Connect({"COM1"}));
  worker.Run();
  EXPECT_EQ(worker.tally().cards(), 100);
  EXPECT_GE(ok, 95);
  EXPECT_EQ(worker.tally().resends, resends);
}

INSTANTIATE_TEST_SUITE_P(ReplyEnds, BatchWorkerNoise, testing::Bool());

// The cards done are the run's: one written ok and put on another writer is not written again.
TEST(BatchWorker, ACardDoneOnOneWriterIsNotWrittenOnAnother) {
  OneImagePlan plan([](CustomerId) { return Pattern(); }, 3);
  DoneCards done;
  std::vector<std::string> said;
  sim::WriterModel writers[2];
  for (sim::WriterModel& writer : writers) {
    sim::VirtualClock clock;
    sim::LoopbackPlatform platform(clock);
    platform.AttachWriter(4, writer);
    BatchContext context;
    context.plan = &plan;
    context.done = &done;
    context.starting = [](const CardRecord&) { return true; };
    context.stopAfterCard = [&] { return clock.NowMs() >= 60'000; };
    context.report = [&](const CardRecord& r) { said.push_back(r.port + " " + r.idm); };
    context.event = [&](const WriterEvent& e) { said.push_back(e.port + " event " + e.cid + e.idm); };
    BatchWorker worker(platform, clock, context);
    ASSERT_TRUE(worker.Connect({"COM4"}));
    worker.Run();
  }
  // Each event as a kind with the writer's customer ID or the card.
  EXPECT_EQ(said, (std::vector<std::string>{"COM4 event 1234", "COM4 0123456789ABCDEF", "COM4 event 1234",
                                            "COM4 event 0123456789ABCDEF"}));
  EXPECT_EQ(writers[1].blockWrites(), 0u);
}

}  // namespace
}  // namespace morvik
