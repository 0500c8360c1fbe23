// batch --rows on the loopback, two writers each on a virtual clock of its
// own: ten rows of different card kinds, one card failing (its row goes to the
// next card), the run ending after four rows as a shift does, then resumed
// from its log. Every row ends on exactly one card that holds that row's
// image, and the log says which IDm got which row.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>

#include "cli/card_image_options.h"
#include "cli/card_rows.h"
#include "cli/command_table.h"
#include "sim/loopback_serial.h"
#include "tests/cli/cli_bench.h"

namespace morvik {
namespace {

const char kRows[] =
    "id,url,popup,init,service-cid,uid-card\nA1,http://example.com/1,ようこそ,,,\nA2,http://example.com/2,,1,,\n"
    "A3,http://example.com/3,,,1A2B,\nA4,,,,,00FF\nA5,http://example.com/5,\"a, b\",,,\n"
    "A6,http://example.com/6[CT],,,,\nA7,http://example.com/7[IM],,,,\nA8,,,,,0100\n"
    "A9,http://example.com/9,,,BEEF,\nA10,http://example.com/10,,,,\n";

struct RowsRun {
  int status;
  std::string err;
  std::vector<sim::CardSlot> cards;  // every card the operators handled
};

// One run on two writers (COM2, COM4) whose operators put on fresh cards,
// IDms starting with the byte firstIdm and firstIdm + 0x10. Which writer takes
// which row is up to the threads; what the test asserts is not.
RowsRun RunBatch(const std::vector<std::string>& extra, std::uint8_t firstIdm, const sim::Faults& faults) {
  sim::WriterModel models[2];
  for (int i = 0; i < 2; ++i) {
    sim::Idm idm = sim::kDefaultIdm;
    idm[0] = static_cast<std::uint8_t>(firstIdm + 0x10 * i);
    models[i].StartOperator({12, 500, 1000, idm}, 0);
    models[i].SetFaults(faults);
  }
  const auto seat = [&models] {
    auto clock = std::make_unique<sim::VirtualClock>();
    auto platform = std::make_unique<sim::LoopbackPlatform>(*clock);
    platform->AttachWriter(2, models[0]);
    platform->AttachWriter(4, models[1]);
    return WriterSeat{std::move(clock), std::move(platform)};
  };
  std::vector<std::string> args = {"batch", "--rows", "-", "--ports", "COM2,COM4", "--fast", "--yes"};
  args.insert(args.end(), extra.begin(), extra.end());
  const test::RunResult result = test::RunSeated(args, seat, kRows);
  RowsRun run{result.status, result.err, {}};
  for (const sim::WriterModel& model : models) {
    run.cards.insert(run.cards.end(), model.cardsTakenOff().begin(), model.cardsTakenOff().end());
    if (model.slot().present) run.cards.push_back(model.slot());  // a card taken off is counted above
  }
  return run;
}

std::string Field(const std::string& line, const std::string& key) {
  const std::size_t at = line.find("\"" + key + "\":");
  if (at == std::string::npos) return {};
  const std::size_t from = at + key.size() + 3 + (line[at + key.size() + 3] == '"' ? 1 : 0);
  return line.substr(from, line.find_first_of("\",}", from) - from);
}

TEST(ProductionRows, EveryRowOnceOnItsOwnCardAcrossAnInterruptedAndResumedRun) {
  const std::string log = test::OwnTempPath("rows.jsonl");
  std::remove(log.c_str());
  sim::Faults failing;
  failing.failBlockWriteAt = 5;
  failing.aimedRun = 3;  // each writer's first card fails at block 4, every resend too
  const RowsRun first = RunBatch({"--log", log, "--count", "4"}, 0x01, failing);
  EXPECT_EQ(first.status, 1) << first.err;  // a card failed (its row was done by the next)
  EXPECT_NE(first.err.find("rows: 4 done, 6 left"), std::string::npos) << first.err;
  const RowsRun second = RunBatch({"--log", log, "--resume", log}, 0x41, {});
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_NE(second.err.find("10 rows (UTF-8), 4 done before"), std::string::npos) << second.err;
  EXPECT_NE(second.err.find("rows: 10 done, 0 left"), std::string::npos) << second.err;

  std::vector<sim::CardSlot> cards = first.cards;
  cards.insert(cards.end(), second.cards.begin(), second.cards.end());
  const CardRows rows = ReadCardRows(kRows, {});
  std::map<std::string, int> okPerRow;
  std::ifstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    if (Field(line, "result") != "ok") continue;
    const std::string row = Field(line, "row");
    ++okPerRow[row];
    const CardRow* source = nullptr;
    for (const CardRow& r : rows.rows) source = std::to_string(r.line) == row ? &r : source;
    ASSERT_NE(source, nullptr) << line;
    EXPECT_EQ(Field(line, "id"), source->id);
    HeadlessWindow window;
    window.SetDefaultAnswer(kIdOk);
    const std::optional<ContentImage> image = BuildCardImage(RowOptions(rows, static_cast<std::size_t>(source - rows.rows.data())), {0x12, 0x34}, window);
    ASSERT_TRUE(image);
    // [IM] is filled in by the terminal, not the writer: the image is the card.
    EXPECT_EQ(std::count_if(cards.begin(), cards.end(), [&](const sim::CardSlot& card) {
                return IdmText(card.idm) == Field(line, "idm") && std::equal(image->begin(), image->end(), card.memory.begin());
              }), 1) << line;
  }
  lines.close();
  std::remove(log.c_str());
  EXPECT_EQ(okPerRow.size(), 10u);
  for (const auto& [row, count] : okPerRow) EXPECT_EQ(count, 1) << "row " << row;
}

}  // namespace
}  // namespace morvik
