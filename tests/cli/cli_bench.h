// morvik-card run in-process against the loopback writer on virtual time, for
// the tool's tests: the status, what it printed and whether it touched a port.
#pragma once

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/command_table.h"
#include "sim/loopback_serial.h"

namespace morvik::test {

// A temp file name of this test process's own: cases and other checkouts' builds run side by side.
inline std::string OwnTempPath(const std::string& name) {
  static const std::string own = std::to_string(std::random_device{}());
  return testing::TempDir() + "morvik-" + own + "-" + name;
}

enum class Setup { kWriter, kNoWriter, kNoCard, kFailingWrite, kFailingReads, kNoPermission, kBadReply, kCardLater, kWrongByte, kDamaged, kTakenOff };

struct RunResult {
  int status;
  std::string out, err;
  bool portsTouched;
};

class Bench {
 public:
  explicit Bench(Setup setup, bool terminal = false) : platform_(clock_), terminal_(terminal) {
    if (setup == Setup::kNoPermission) {
      platform_.AddRefusingPort(4, RefusedDevice::Reason::kPermission);
      platform_.AddRefusingPort(12, RefusedDevice::Reason::kPermission);
    }
    if (setup == Setup::kNoWriter || setup == Setup::kNoPermission) return;
    platform_.AttachWriter(2, writer_);
    if (setup == Setup::kNoCard || setup == Setup::kCardLater) writer_.RemoveCard();
    if (setup == Setup::kCardLater) clock_.At(9'000, [this] { writer_.slot().present = true; });
    sim::Faults faults;
    faults.failBlockWriteAt = setup == Setup::kFailingWrite ? 3 : 0;
    faults.aimedRun = setup == Setup::kFailingWrite ? 3 : 1;  // block 2 fails every try
    faults.badSumAt = setup == Setup::kBadReply ? 16 : 0;  // block 9, once
    if (setup == Setup::kDamaged) faults.badSumAt = sim::kEveryRequest;
    faults.removeCardAfterWrites = setup == Setup::kTakenOff ? 5 : 0;
    faults.failReads = setup == Setup::kFailingReads ? 3 : 0;
    faults.wrongByteBlock = setup == Setup::kWrongByte ? 5 : -1;
    writer_.SetFaults(faults);
  }

  RunResult operator()(const std::vector<std::string>& args, const std::string& input = {}) {
    std::ostringstream out;
    return Run(args, input, out);
  }
  // With standard output that takes nothing: every write to it fails.
  RunResult WithFullOutput(const std::vector<std::string>& args) {
    FullBuffer full;
    std::ostream out(&full);
    return Run(args, {}, out);
  }
  const sim::CardImage& card() const { return writer_.slot().memory; }
  // The language the tool's own texts are said in from now on.
  void SpeakIn(Language language) { language_ = language; }

 private:
  class FullBuffer final : public std::streambuf {
    int_type overflow(int_type) override { return traits_type::eof(); }
  };

  RunResult Run(const std::vector<std::string>& args, const std::string& input, std::ostream& out) {
    std::ostringstream err;
    std::istringstream in(input);
    CliEnvironment environment{platform_, clock_, out, err, in, terminal_, terminal_, terminal_};
    environment.language = language_;
    const int status = Status(RunCli(args, environment));
    const std::ostringstream* text = dynamic_cast<const std::ostringstream*>(&out);
    return {status, text != nullptr ? text->str() : std::string(), err.str(),
            !platform_.openLog().empty()};
  }

  sim::VirtualClock clock_;
  sim::LoopbackPlatform platform_;
  sim::WriterModel writer_;
  bool terminal_;
  Language language_ = Language::kEnglish;
};

// `args` in-process as a production run has them: each writer's ports and
// clock from `seat` (empty: the system's), `input` on standard input, no terminal.
inline RunResult RunSeated(const std::vector<std::string>& args, std::function<WriterSeat()> seat,
                           const std::string& input = {}, SharedJournal::LocksFor locks = {}) {
  std::ostringstream out, err;
  std::istringstream in(input);
  sim::VirtualClock clock;
  sim::LoopbackPlatform platform(clock);
  CliEnvironment environment{platform, clock, out, err, in, false, false, false, std::move(seat), std::move(locks)};
  const int status = Status(RunCli(args, environment));
  return {status, out.str(), err.str(), !platform.openLog().empty()};
}

}  // namespace morvik::test
