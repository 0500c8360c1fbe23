#include "app/cli/production_commands.h"

#include <charconv>
#include <cstdio>
#include <iostream>
#include <optional>

#include "app/batch/batch_runner.h"
#include "app/cli/card_image_options.h"
#include "app/cli/interrupt.h"
#include "app/cli/terminal_window.h"
#include "link/port_names.h"
#include "link/system_serial.h"

namespace morvik {

const char kProductionUsage[] = R"(usage: morvik-card batch [content options] [options]
       morvik-card verify [content options] [--port COMn] [--trace] [--wait[=SECONDS]] [--fast]

batch writes the content to every new card put on the writer(s), reads each
card back and prints one line per card. The content options are those of write
(morvik-card --help); the content is checked before any writer is touched.
  --count N          stop after N cards (default: until interrupted)
  --ports COM3,COM5  these writers (default: the first writer found)
  --all              every port where a writer answers
  --no-verify        do not read the cards back
  --json             JSON Lines: time, port, idm, result, block, resends, seconds
  --fast             replies end with their frame and a 5 ms guard (see morvik-card --help)
  --log FILE         append JSON Lines to FILE, flushed after every card
A card left on a writer is never written twice. Ctrl-C once: every writer
finishes its card, then the run ends; twice: each stops at the next block.
Exit status: 0 all ok, 1 a card failed, 5 only verify failures, 130 interrupted.

verify reads the card on the writer and compares it with the content: exit
status 5 and the first differing block when they differ.
)";

namespace {

std::optional<int> PositiveCount(const std::string& text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 1) return std::nullopt;
  return value;
}

bool SplitPorts(const std::string& text, std::vector<std::string>& ports) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string port = text.substr(start, comma - start);
    if (!ComPortNumber(port)) return false;
    ports.push_back(port);
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

// Built again for each writer (its customer ID goes into the image) after the
// operator has answered every question once: this time every answer is OK.
std::optional<ContentImage> QuietImage(const CliOptions& options, std::array<std::uint8_t, 2> cid) {
  HeadlessWindow window;
  window.SetDefaultAnswer(kIdOk);
  return BuildCardImage(options, cid, window);
}

// The write parser's usage error as this command's: "batch does not take --raw".
std::string AsOwnError(std::string text, const std::string& command) {
  constexpr std::string_view kPrefix = "morvik-card: write";
  if (text.starts_with(kPrefix)) text.replace(0, kPrefix.size(), command);
  if (const std::size_t see = text.find(" (see "); see != std::string::npos) text.resize(see);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text.starts_with("morvik-card: ") ? text.substr(13) : text;
}

std::vector<WriterPlan> PlanWriters(const BatchOptions& options) {
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

int RunBatchCommand(const BatchOptions& options) {
  std::FILE* log = nullptr;
  if (!options.log.empty() && (log = std::fopen(options.log.c_str(), "a")) == nullptr) {
    std::cerr << "morvik-card: cannot open " << options.log << "\n";
    return Status(ExitCode::kCardFailed);
  }
  InstallInterruptHandlers(false);
  CardBudget budget(options.count);
  RecordPrinter printer(stdout, options.json, log);
  BatchContext context;
  context.imageFor = [&options](std::array<std::uint8_t, 2> cid) { return QuietImage(options.card, cid); };
  context.budget = &budget;
  context.stopAfterCard = [] { return InterruptCount() >= 1; };
  context.stopNow = [] { return InterruptCount() >= 2; };
  context.report = [&printer](const CardRecord& record) { printer.Print(record); };
  context.note = [&printer](const std::string& text) { printer.Note("morvik-card: " + text); };
  context.verify = options.verify;
  context.fast = options.card.fast;
  const std::vector<WriterTally> tallies = RunBatch(PlanWriters(options), context, MakeSystemSerialPlatform);
  if (log != nullptr) std::fclose(log);
  for (const WriterTally& tally : tallies) std::cerr << TallyText(tally) << "\n";
  if (tallies.empty()) std::cerr << "morvik-card: no writer answers\n";
  std::cerr << TallyText(TotalOf(tallies)) << "\n";
  return BatchExitStatus(tallies, InterruptCount() > 0);
}

// On the writer the session finds (--port, --trace, --fast and --wait as for
// every command that talks to the writer).
int RunVerifyCommand(CliSession& session) {
  CardOperations& card = session.operations;
  if (!session.Connect()) return static_cast<int>(session.Status(ExitCode::kNoWriter));
  card.SetStopCheck([] { return InterruptCount() >= 1; });
  CardIdm idm{};
  if (!card.DetectCard(idm)) return static_cast<int>(session.Status(ExitCode::kNoCard));
  const std::optional<ContentImage> image = QuietImage(session.options, card.customerId());
  if (!image) return Status(ExitCode::kUsage);
  SetCardInProgress(true);
  const VerifyResult result = card.VerifyCardImage(*image, idm);
  SetCardInProgress(false);
  if (result.status == VerifyResult::Status::kMatch) {
    session.env.out << IdmText(idm) << " ok\n";
    return 0;
  }
  if (result.status == VerifyResult::Status::kStopped) return Status(ExitCode::kInterrupted);
  const bool mismatch = result.status == VerifyResult::Status::kMismatch;
  session.env.out << IdmText(idm) << (mismatch ? " verify failed at block " : " unreadable at block ")
                  << result.block << "\n";
  return mismatch ? Status(ExitCode::kVerifyMismatch) : Status(ExitCode::kCardFailed);
}

}  // namespace

BatchParse ParseProductionOptions(const std::vector<std::string>& arguments) {
  const std::string& command = arguments[0];
  BatchOptions options;
  std::vector<std::string> rest{"write"};
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    const bool batch = command == "batch";
    const bool takesValue = batch && (name == "--count" || name == "--ports" || name == "--log");
    if (takesValue && i + 1 >= arguments.size()) return {std::nullopt, name + " needs a value"};
    if (takesValue) {
      const std::string& value = arguments[++i];
      const bool good = name == "--count"   ? (options.count = PositiveCount(value)).has_value()
                        : name == "--ports" ? SplitPorts(value, options.ports)
                                            : !(options.log = value).empty();
      if (!good) return {std::nullopt, "bad value for " + name + ": " + value};
    } else if (batch && name == "--all") {
      options.all = true;
    } else if (batch && name == "--no-verify") {
      options.verify = false;
    } else if (batch && name == "--json") {
      options.json = true;
    } else if ((batch && name == "--wait") || name == "--verify") {
      return {std::nullopt, command + " does not take " + name};
    } else {
      rest.push_back(name);
    }
  }
  if (options.all && !options.ports.empty()) return {std::nullopt, "--all and --ports exclude each other"};
  const ParseResult parsed = ParseCommandLine(rest, Commands());
  if (!parsed.options) return {std::nullopt, AsOwnError(parsed.text, command)};
  options.card = *parsed.options;
  options.card.command = command;
  return {options, {}};
}

bool IsProductionCommand(const std::string& command) { return command == "batch" || command == "verify"; }

int RunProductionCommand(const std::vector<std::string>& arguments, CliEnvironment& environment) {
  const BatchParse parsed = ParseProductionOptions(arguments);
  if (!parsed.options) {
    environment.err << "morvik-card: " << parsed.error << " (see morvik-card " << arguments[0]
                    << " --help)\n";
    return Status(ExitCode::kUsage);
  }
  const BatchOptions& options = *parsed.options;
  const CliOptions& card = options.card;
  // The content is checked, and its questions answered, before any writer is touched.
  TerminalWindow window(TerminalAnswers{card.confirm, card.wait, card.waitSeconds},
                        environment.clock,
                        TerminalStreams{environment.err, environment.in, environment.inIsTerminal,
                                        environment.errIsTerminal});
  if (!BuildCardImage(card, {0, 0}, window)) return Status(ExitCode::kUsage);
  if (card.command == "verify") {
    CliSession session(environment, card);
    return RunVerifyCommand(session);
  }
  return RunBatchCommand(options);
}

int VerifyLastWrite(CardOperations& card) {
  const std::optional<LastWrite>& last = card.lastWrite();
  if (!last || last->written < kCardBlocks) return Status(ExitCode::kCardFailed);
  SetCardInProgress(true);
  const VerifyResult result = card.VerifyCardImage(last->image, last->idm);
  SetCardInProgress(false);
  if (result.status == VerifyResult::Status::kMatch) return 0;
  if (result.status == VerifyResult::Status::kStopped) return Status(ExitCode::kInterrupted);
  const bool mismatch = result.status == VerifyResult::Status::kMismatch;
  std::cerr << "morvik-card: " << (mismatch ? "verify failed at block " : "card unreadable at block ")
            << result.block << "\n";
  return mismatch ? Status(ExitCode::kVerifyMismatch) : Status(ExitCode::kCardFailed);
}

int StatusAfterInterrupts(const CardOperations& card, int status) {
  if (InterruptCount() == 0) return status;
  const std::optional<LastWrite>& last = card.lastWrite();
  if (last && last->written < kCardBlocks) {
    std::cerr << "morvik-card: interrupted: card " << IdmText(last->idm) << " stopped at block "
              << last->written << "\n";
  }
  return Status(ExitCode::kInterrupted);
}

}  // namespace morvik
