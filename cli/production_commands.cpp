#include "cli/production_commands.h"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <system_error>

#include "cli/card_image_options.h"
#include "cli/frame_trace.h"
#include "cli/interrupt.h"
#include "cli/record_printer.h"
#include "cli/terminal_window.h"
#include "link/system_serial.h"
#include "production/batch_runner.h"

namespace morvik {
namespace {

// Built again for each writer (its customer ID goes into the image) after the
// operator has answered every question once: this time every answer is OK.
std::optional<ContentImage> QuietImage(const CliOptions& options, std::array<std::uint8_t, 2> cid) {
  HeadlessWindow window;
  window.SetDefaultAnswer(kIdOk);
  return BuildCardImage(options, cid, window);
}

std::vector<WriterPlan> PlanWriters(const ProductionOptions& options) {
  std::vector<WriterPlan> plans;
  for (const std::string& port : options.ports) plans.push_back({{port}, true});
  if (!options.ports.empty()) return plans;
  WriterPlan scan{{}, true};
  for (int com = 1; com <= kComPortCount; ++com) {
    const std::string port = "COM" + std::to_string(com);
    if (options.all) plans.push_back({{port}, false});
    scan.ports.push_back(port);
  }
  if (!options.all) plans.push_back(scan);
  return plans;
}

std::function<WriterSeat()> SystemSeats() {
  return [] {
    WriterSeat seat;
    seat.clock = std::make_unique<SystemClock>();
    seat.platform = MakeSystemSerialPlatform();
    return seat;
  };
}

std::string PortsLooked(const ProductionOptions& options) {
  if (options.ports.empty()) return "COM1-COM" + std::to_string(kComPortCount);
  std::string ports;
  for (const std::string& port : options.ports) ports += (ports.empty() ? "" : ", ") + port;
  return ports;
}

ExitCode RunProductionLine(const CliOptions& options, CliEnvironment& env) {
  const ProductionOptions& production = options.production;
  std::FILE* log = nullptr;
  if (!production.log.empty() && (log = std::fopen(production.log.c_str(), "a")) == nullptr) {
    env.err << "morvik-card: " << production.log << ": " << std::generic_category().message(errno) << "\n";
    return ExitCode::kOutputLost;
  }
  InstallInterruptHandlers(InterruptMode::kCount);
  CardBudget budget(production.count);
  DoneCards done;
  RecordPrinter printer(env.out, production.json, log, production.log, env.err);
  BatchContext context;
  context.imageFor = [&options](std::array<std::uint8_t, 2> cid) { return QuietImage(options, cid); };
  context.budget = &budget;
  context.done = &done;
  // A record that could not be written stops the run as a first interrupt does.
  context.stopAfterCard = [&printer] { return InterruptCount() >= 1 || printer.outputFailed(); };
  context.stopNow = [] { return InterruptCount() >= 2; };
  context.report = [&printer](const CardRecord& record) { printer.Print(record); };
  context.note = [&printer](const std::string& text) { printer.Note("morvik-card: " + text); };
  if (options.trace) {
    context.traceFor = [&printer](Clock& clock) {
      return std::make_unique<FrameTrace>(clock, [&printer](const std::string& line) { printer.TraceLine(line); });
    };
  }
  context.announceWriters = env.errIsTerminal;
  context.verify = production.verify;
  context.fast = options.fast;
  const BatchOutcome outcome =
      RunBatch(PlanWriters(production), context, env.writerSeat ? env.writerSeat : SystemSeats());
  const bool logClosed = printer.CloseLog();
  if (!outcome.anyWriter) {
    env.err << "morvik-card: no writer answers on " << PortsLooked(production) << "\n";
    return ExitCode::kNoWriter;
  }
  for (const WriterTally& tally : outcome.tallies) env.err << TallyText(tally) << "\n";
  env.err << TallyText(TotalOf(outcome.tallies)) << "\n";
  if (printer.outputFailed()) env.err << "morvik-card: records: " << printer.LossText() << "\n";
  return BatchExitStatus(outcome.tallies, InterruptCount() > 0, printer.outputFailed() || !logClosed);
}

std::string VerifyFailureText(const VerifyResult& result) {
  const bool mismatch = result.status == VerifyResult::Status::kMismatch;
  return (mismatch ? "verify failed at block " : "unreadable at block ") +
         std::to_string(result.block);
}

}  // namespace

// The content is checked, and its questions answered, before any writer is touched.
ExitCode RunBatch(const CliOptions& options, CliSession& session) {
  if (!BuildCardImage(options, {0, 0}, session.window)) return ExitCode::kUsage;
  return RunProductionLine(options, session.env);
}

// On the writer the session finds (--port, --trace, --fast and --wait as for
// every command that talks to the writer).
ExitCode RunVerify(const CliOptions& options, CliSession& session) {
  if (!BuildCardImage(options, {0, 0}, session.window)) return ExitCode::kUsage;
  CardOperations& card = session.operations;
  if (!session.Connect()) return session.Status(ExitCode::kNoWriter);
  card.SetStopCheck([] { return InterruptCount() >= 1; });
  CardIdm idm{};
  if (!card.DetectCard(idm)) return session.Status(ExitCode::kNoCard);
  const std::optional<ContentImage> image = QuietImage(options, card.customerId());
  if (!image) return ExitCode::kUsage;
  SetCardInProgress(true);
  const VerifyResult result = card.VerifyCardImage(*image, idm);
  SetCardInProgress(false);
  const ExitCode status = VerifyStatus(result.status);
  if (status == ExitCode::kOk) session.env.out << IdmText(idm) << " ok\n";
  if (status != ExitCode::kOk && status != ExitCode::kInterrupted) {
    session.env.out << IdmText(idm) << " " << VerifyFailureText(result) << "\n";
  }
  return status;
}

ExitCode VerifyStatus(VerifyResult::Status status) {
  switch (status) {
    case VerifyResult::Status::kMatch: return ExitCode::kOk;
    case VerifyResult::Status::kMismatch: return ExitCode::kVerifyMismatch;
    case VerifyResult::Status::kReadFailed: return ExitCode::kCardFailed;
    case VerifyResult::Status::kStopped: return ExitCode::kInterrupted;
  }
  return ExitCode::kCardFailed;
}

ExitCode VerifyLastWrite(CardOperations& card, std::ostream& err) {
  const std::optional<LastWrite>& last = card.lastWrite();
  if (!last || last->written < kCardBlocks) return ExitCode::kCardFailed;
  SetCardInProgress(true);
  const VerifyResult result = card.VerifyCardImage(last->image, last->idm);
  SetCardInProgress(false);
  const ExitCode status = VerifyStatus(result.status);
  if (status != ExitCode::kOk && status != ExitCode::kInterrupted) {
    const bool mismatch = result.status == VerifyResult::Status::kMismatch;
    err << "morvik-card: " << (mismatch ? "" : "card ") << VerifyFailureText(result) << "\n";
  }
  return status;
}

ExitCode StatusAfterInterrupts(const CardOperations& card, ExitCode status, bool stopTold,
                               std::ostream& err) {
  if (InterruptCount() == 0) return status;
  const std::optional<LastWrite>& last = card.lastWrite();
  if (last && last->written == kCardBlocks) {
    err << "morvik-card: interrupted: card " << IdmText(last->idm) << " is complete\n";
  } else if (last && !stopTold) {
    err << "morvik-card: interrupted: card " << IdmText(last->idm) << " stopped at block "
        << last->written << "\n";
  }
  return ExitCode::kInterrupted;
}

ExitCode BatchExitStatus(std::span<const WriterTally> tallies, bool interrupted, bool outputFailed) {
  if (outputFailed) return ExitCode::kOutputLost;
  if (interrupted) return ExitCode::kInterrupted;
  const WriterTally total = TotalOf(tallies);
  bool problem = tallies.empty();
  for (const WriterTally& t : tallies) problem = problem || !t.problem.empty();
  if (problem || total.writeFailed + total.removed + total.interrupted > 0) return ExitCode::kCardFailed;
  return total.verifyFailed > 0 ? ExitCode::kVerifyMismatch : ExitCode::kOk;
}

}  // namespace morvik
