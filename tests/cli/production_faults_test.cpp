// batch on the loopback, each writer on a virtual clock of its own, writers and outputs failing: the records,
// stderr, each writer's block writes, the status; every writer that wrote holds the card; no record is lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <regex>
#include <cstdio>
#include <sstream>

#include "cli/command_table.h"
#include "files/file_lock.h"
#include "sim/loopback_serial.h"
#include "tests/cli/cli_bench.h"
#include "tests/support/abc_card.h"

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace morvik {
namespace {

using Times = std::pair<std::int64_t, std::int64_t>;  // from, until (virtual ms); 0: none

struct Writer {
  int com;
  int cards = 0;  // an operator puts on this many in turn; 0: one card that stays
  sim::Faults faults = {};
  Times unplugged = {};  // from 0: absent at the start
  Times cardOff = {};    // taken off, then put on again
};

enum class Output { kFine, kLogMissing, kLogFull, kLogFillsAfterOne, kStdoutFillsAfterOne };

struct FaultCase {
  const char* name;
  std::vector<Writer> writers;  // writer i's card has IDm i123456789ABCDEF
  std::vector<std::string> args;
  Output output;
  std::vector<std::string> records;  // sorted; the block of a failure left out
  std::vector<std::string> told;
  int status;
  std::vector<int> blockWrites;  // -1: not counted
};

// Takes `room` bytes, then fails as a full disk does.
class FillingBuffer final : public std::streambuf {
 public:
  explicit FillingBuffer(std::size_t room) : room_(room) {}
  std::string text;

 private:
  int overflow(int c) override { return text.size() < room_ ? (text += static_cast<char>(c), c) : traits_type::eof(); }
  std::size_t room_;
};

// "2026-12-07 10:33:09 +09:00 COM2 0123456789ABCDEF write failed at block 9 13.2s" -> "COM2 0123456789ABCDEF write failed"
std::vector<std::string> RecordsOf(const std::string& out) {
  std::vector<std::string> records;
  std::istringstream lines(out.substr(0, out.rfind('\n') + 1));  // a line cut short is not a record
  for (std::string line; std::getline(lines, line);) {
    line = line.substr(line.find(" COM") + 1);
    records.push_back(line.substr(0, std::min(line.rfind(' '), line.find(" at block"))));
  }
  std::sort(records.begin(), records.end());
  return records;
}

// stderr as the operator reads it once batch's progress board is gone: the
// board's lines end clearing the rest of their line, its erasures move up.
std::string WithoutProgress(const std::string& err) {
  const std::string lines = std::regex_replace(err, std::regex("[^\n]*\x1b\\[K\n"), "");
  return std::regex_replace(lines, std::regex("\x1b\\[[0-9]+A\r\x1b\\[J"), "");
}

class ProductionFaults : public testing::TestWithParam<FaultCase> {};

TEST_P(ProductionFaults, RecordsCardsAndStatus) {
  const FaultCase& c = GetParam();
  std::vector<sim::WriterModel> models(c.writers.size());
  for (std::size_t i = 0; i < c.writers.size(); ++i) {
    sim::Idm idm = sim::kDefaultIdm;
    idm[0] += static_cast<std::uint8_t>(0x10 * i);
    models[i].SetFaults(c.writers[i].faults);
    models[i].slot().idm = idm;
    models[i].StartOperator({c.writers[i].cards, 500, 1000, idm}, 0);
  }
  int seats = 0;  // none: no port opened
  const auto seat = [&] {
    auto clock = std::make_unique<sim::VirtualClock>();
    auto platform = std::make_unique<sim::LoopbackPlatform>(*clock);
    for (std::size_t i = 0; i < c.writers.size(); ++i) {
      const Writer& w = c.writers[i];
      sim::LoopbackPort& port = platform->port(w.com);
      sim::WriterModel& model = models[i];
      if (w.unplugged.first > 0 || w.unplugged.second == 0) platform->AttachWriter(w.com, model);
      if (w.unplugged.first > 0) clock->At(w.unplugged.first, [&port] { port.lineDropped = true; });
      if (w.unplugged.second > 0) {
        clock->At(w.unplugged.second, [&, p = platform.get()] { port.lineDropped = false, p->AttachWriter(w.com, model); });
      }
      if (w.cardOff.first > 0) clock->At(w.cardOff.first, [&model] { model.RemoveCard(); });
      if (w.cardOff.second > 0) clock->At(w.cardOff.second, [&model] { model.slot().present = true; });
    }
    // A run that never ends fails here; a writer idle while another works runs far ahead.
    clock->At(2'592'000'000, [] { std::fputs("the run did not end within 30 days\n", stderr), std::_Exit(1); });
    ++seats;
    return WriterSeat{std::move(clock), std::move(platform)};
  };

  const std::string logs[] = {"", test::OwnTempPath("missing/log"), "/dev/full", test::OwnTempPath("log")};
  std::vector<std::string> args = {"batch", "--url", "abc"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  if (c.output >= Output::kLogMissing && c.output <= Output::kLogFillsAfterOne) {
    args.insert(args.end(), {"--log", logs[static_cast<int>(c.output)]});
  }
  std::remove(logs[3].c_str());
#ifndef _WIN32  // a file that can grow no further: the disk is full
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  // The first card's two records, the second's started and half its result,
  // each signed by the run (a started record with its computer and process).
  const std::size_t signed_ = std::string(R"(,"run":"R0000000")").size();
  const std::size_t started = signed_ + std::string(R"(,"host":"","pid":)").size() + HostName().size() +
                              std::to_string(ProcessId()).size();
  const rlimit small{static_cast<rlim_t>(450 + 2 * started + signed_ + signed_ / 2), limit.rlim_max};
  std::signal(SIGXFSZ, SIG_IGN);
  if (c.output == Output::kLogFillsAfterOne) setrlimit(RLIMIT_FSIZE, &small);
#endif
  FillingBuffer filling(c.output == Output::kStdoutFillsAfterOne ? 60 : 100'000);
  std::ostream out(&filling);
  std::ostringstream err;
  std::istringstream in;
  sim::VirtualClock clock;
  sim::LoopbackPlatform platform(clock);
  CliEnvironment env{platform, clock, out, err, in, false, true, false, seat};
  const int status = Status(RunCli(args, env));
#ifndef _WIN32
  setrlimit(RLIMIT_FSIZE, &limit);
#endif

  std::remove(logs[3].c_str());
  const std::string said = WithoutProgress(err.str());
  EXPECT_EQ(status, c.status) << said;
  // stderr is a terminal here: while a writer writes, its line shows the block.
  const bool wrote = std::ranges::any_of(c.blockWrites, [](int writes) { return writes != 0; });
  EXPECT_EQ(err.str().find(" 0123456789ABCDEF  block 1/64\x1b[K\n") != std::string::npos, wrote) << err.str();
  EXPECT_EQ(RecordsOf(filling.text), c.records) << filling.text;
  for (const std::string& line : c.told) EXPECT_NE(said.find(line), std::string::npos) << line << "\n" << said;
  const std::size_t loss = said.find(" given only on stderr, ");  // none of them lost
  EXPECT_TRUE(loss == std::string::npos || said.find(", 0 lost\n", loss) != std::string::npos);
  EXPECT_EQ(seats == 0, c.output == Output::kLogMissing);
  for (std::size_t i = 0; i < c.writers.size(); ++i) {
    EXPECT_TRUE(c.blockWrites[i] < 0 || models[i].blockWrites() == static_cast<std::uint64_t>(c.blockWrites[i])) << i;
    EXPECT_TRUE(c.blockWrites[i] == 0 || models[i].slot().memory == test::AbcContentCard(0x12, 0x34, 0x85)) << i;
  }
}

// clang-format off
const std::vector<FaultCase> kFaults = {
    {"WriterLostAndBack", {{.com = 2, .unplugged = {5'000, 8'000}}}, {"--ports", "com2", "--count", "2"}, Output::kFine,
     {"COM2 0123456789ABCDEF ok", "COM2 0123456789ABCDEF writer lost"},
     {"morvik-card: COM2: writer found (CID 1234), waiting for a card\n",
      "morvik-card: COM2: writer lost, looking for it\nmorvik-card: COM2: writer back\n",
      "COM2: 2 cards, 1 ok, 1 writer lost; writer lost and back\n"}, 1, {-1}},
    {"WriterAbsentAtTheStart", {{.com = 2}, {.com = 4, .unplugged = {0, 5'000}}}, {"--ports", "COM2,COM4", "--count", "2"},
     Output::kFine, {"COM2 0123456789ABCDEF ok", "COM4 1123456789ABCDEF ok"},
     {"morvik-card: COM4: no such port; looking for it\nmorvik-card: COM4: writer found (CID 1234)",
      "COM2: 1 card, 1 ok\nCOM4: 1 card, 1 ok; found after the start\nall: 2 cards, 2 ok\n"}, 0, {64, 64}},
    {"FailedCardPutOnAgain", {{.com = 2, .faults = {.failBlockWriteAt = 10, .aimedRun = 3}, .cardOff = {6'000, 8'000}}}, {"--count", "2"},
     Output::kFine, {"COM2 0123456789ABCDEF ok", "COM2 0123456789ABCDEF write failed"}, {}, 1, {9 + 64}},
    // Without --ports or --all, the first writer found, and it alone.
    {"FirstWriterFound", {{.com = 2}, {.com = 4}}, {"--count", "1"}, Output::kFine, {"COM2 0123456789ABCDEF ok"},
     {"\nCOM2: 1 card, 1 ok\nall: 1 card, 1 ok\n"}, 0, {64, 0}},
    {"NoWriterAtAll", {}, {"--ports", "COM2,COM4"}, Output::kFine, {}, {"morvik-card: COM2: no such port\nmorvik-card: COM4: no such port\nmorvik-card: no writer answers on COM2, COM4\n"}, 3, {}},
    {"LogCannotBeOpened", {{.com = 2}}, {}, Output::kLogMissing, {},
     {"morvik-card: " + test::OwnTempPath("missing/log") + ": No such file or directory\n"}, 6, {0}},
    {"StdoutFillsUpAfterOneCard", {{.com = 2, .cards = 3}}, {"--count", "3"}, Output::kStdoutFillsAfterOne,
     {"COM2 0123456789ABCDEF ok"},
     {"morvik-card: standard output: cannot be written; no new cards are taken\n",
      "morvik-card: record not written to standard output: {\"record\":\"card\",\"time\":", "all: 2 cards, 2 ok\n",
      "morvik-card: records: 1 record given only on stderr, 0 lost\n"}, 6, {128}},
#ifndef _WIN32
    // No card is written before its started record is on the disk.
    {"LogFullAtTheStart", {{.com = 2, .cards = 3}}, {"--count", "3"}, Output::kLogFull, {},
     {"morvik-card: /dev/full: No space left on device; no new cards are taken\n", "all: 0 cards, 0 ok\n"}, 6, {0}},
    {"LogFillsUpAfterOneCard", {{.com = 2, .cards = 3}}, {"--count", "3"}, Output::kLogFillsAfterOne,
     {"COM2 0123456789ABCDEF ok", "COM2 0123456789ABCDF0 ok"},
     {"log: File too large; no new cards are taken\n", "\"idm\":\"0123456789ABCDF0\",\"result\":\"ok\"",
      "1 record given only on stderr, 0 lost\n"}, 6, {128}},
#endif
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Loopback, ProductionFaults, testing::ValuesIn(kFaults),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace morvik
