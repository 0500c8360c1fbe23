// A list run killed at one step of one card, in virtual time, and the checks
// made once it has been resumed: every row ok once and on one card, and every
// card blank or holding the whole image of the row its last record names.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "production/batch_runner.h"
#include "production/journal.h"
#include "sim/loopback_serial.h"

namespace morvik::test {

struct KillPoint {
  const char* name;
  int card;  // 1, 2...: the card of the run it hits
  WriterProgress::Step step;
  int block = 0;
};

// What survives the kill, or what a run leaves at its end.
struct Remains {
  bool killed = false;  // the kill point was reached
  std::string journal;  // for runs that keep their journal in memory
  std::optional<sim::CardSlot> onWriter;
  std::vector<sim::CardSlot> takenOff;
  int cardsStarted = 0;

  void Keep(const sim::WriterModel& writer) {
    onWriter = writer.slot();
    takenOff = writer.cardsTakenOff();
  }
};

inline ContentImage KillRowImage(std::size_t line) {
  ContentImage image;
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 5 + line);
  return image;
}

// True at the kill point: the given progress of the card `cardsStarted` of the run.
inline bool KillsHere(const std::optional<KillPoint>& kill, int cardsStarted, const WriterProgress& p) {
  return kill && kill->card == cardsStarted && kill->step == p.step && kill->block == p.block;
}

// The progress sink of a run killed at `kill`: it counts the run's cards and,
// at the kill point, sets `killed` (the run's stop flag) and keeps what the
// writer holds.
template <typename Flag>
std::function<void(const WriterProgress&)> KillAt(const std::optional<KillPoint>& kill, Flag& killed, Remains& left,
                                                  const sim::WriterModel& writer) {
  return [&kill, &killed, &left, &writer](const WriterProgress& p) {
    if (p.step == WriterProgress::Step::kStarting) ++left.cardsStarted;
    if (killed || !KillsHere(kill, left.cardsStarted, p)) return;
    killed = left.killed = true;  // from here on nothing reaches the journal or the card
    left.Keep(writer);
  };
}

// The writer on COM1, where a card the run leaves alone (done before) is taken off after a while.
inline std::function<WriterSeat()> KillRunSeat(sim::WriterModel& writer) {
  return [&writer] {
    auto clock = std::make_unique<sim::VirtualClock>();
    auto platform = std::make_unique<sim::LoopbackPlatform>(*clock);
    platform->AttachWriter(1, writer);
    clock->At(20'000, [&writer] {
      if (writer.cardsPlaced() == 1 && writer.blockWrites() == 0) writer.RemoveCard();
    });
    clock->At(900'000, [] { std::fputs("the run did not end\n", stderr), std::_Exit(1); });
    return WriterSeat{std::move(clock), std::move(platform)};
  };
}

// Every line's row ok once in the journal and on exactly one of the runs'
// cards; every card written is named in the journal (in a started record,
// when `started` says so) and holds its last row.
inline void ExpectEveryRowOnceOnAWholeCard(std::span<const std::size_t> lines, const std::vector<JournalEntry>& entries,
                                           std::initializer_list<const Remains*> runs, const std::string& journal,
                                           bool startedNamed = false) {
  std::map<std::size_t, int> okRows;
  std::map<std::string, CardRecord> lastRecord;
  std::set<std::string> started;
  for (const JournalEntry& e : entries) {
    if (e.kind == JournalEntryKind::kStarted) started.insert(e.record.idm);
    if (e.kind == JournalEntryKind::kCard && e.record.result == CardResult::kOk) ++okRows[e.record.row];
    lastRecord[e.record.idm] = e.record;
  }
  for (const std::size_t line : lines) EXPECT_EQ(okRows[line], 1) << "row " << line << "\n" << journal;
  std::map<std::string, sim::CardImage> cards;  // each card as it is at the end
  for (const Remains* run : runs) {
    for (const sim::CardSlot& card : run->takenOff) cards[IdmText(card.idm)] = card.memory;
    if (run->onWriter) cards[IdmText(run->onWriter->idm)] = run->onWriter->memory;
  }
  for (const std::size_t line : lines) {
    EXPECT_EQ(std::ranges::count_if(cards, [line](const auto& card) { return card.second == KillRowImage(line); }), 1)
        << "cards holding row " << line << "\n" << journal;
  }
  for (const auto& [idm, memory] : cards) {
    if (memory == sim::CardImage{}) continue;
    EXPECT_TRUE(!startedNamed || started.contains(idm)) << idm << " written but named in no started record";
    ASSERT_TRUE(lastRecord.contains(idm)) << idm << " written but named nowhere";
    EXPECT_EQ(memory, KillRowImage(lastRecord[idm].row)) << idm << " does not hold row " << lastRecord[idm].row;
  }
}

}  // namespace morvik::test
