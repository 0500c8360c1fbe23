#include "cli/production_commands.h"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <set>
#include <system_error>

#include "cli/card_image_options.h"
#include "cli/card_rows.h"
#include "cli/image_file.h"
#include "cli/frame_trace.h"
#include "cli/interrupt.h"
#include "cli/record_printer.h"
#include "cli/terminal_window.h"
#include "files/file_access.h"
#include "link/system_serial.h"
#include "production/batch_runner.h"
#include "production/row_queue.h"

namespace morvik {
namespace {

// Far more than any list of cards, or any log of runs, a day of work makes.
constexpr std::size_t kRowsFileLimit = 16 << 20;
constexpr std::size_t kLogFileLimit = 256 << 20;

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

// Opens the log for appending; false after saying why.
bool OpenLog(const std::string& path, std::FILE*& log, std::ostream& err) {
  if (path.empty()) return true;
  int reason = 0;
  log = OpenFile(path, OpenFor::kAppending, reason).release();
  if (log == nullptr) err << "morvik-card: " << path << ": " << SystemReason(reason) << "\n";
  return log != nullptr;
}

// What is the same in every run: the writers, the records, the interrupts.
// `context` already says what each card gets.
ExitCode RunProductionLine(const CliOptions& options, CliEnvironment& env, BatchContext& context) {
  const ProductionOptions& production = options.production;
  std::FILE* log = nullptr;
  if (!OpenLog(production.log, log, env.err)) return ExitCode::kOutputLost;
  InstallInterruptHandlers(InterruptMode::kCount);
  CardBudget budget(context.rows ? std::nullopt : production.count);
  DoneCards done;
  RecordPrinter printer(env.out, production.json, log, production.log, env.err);
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
  if (context.rows) {
    env.err << "morvik-card: rows: " << context.rows->done() << " done, " << context.rows->left()
            << " left\n";
  }
  if (printer.outputFailed()) env.err << "morvik-card: records: " << printer.LossText() << "\n";
  return BatchExitStatus(outcome.tallies, InterruptCount() > 0, printer.outputFailed() || !logClosed);
}

// The rows of --rows, each checked as the command line is and composed once;
// nullopt after the line that says which row is wrong.
std::optional<CardRows> ReadRows(const CliOptions& options, CliEnvironment& env) {
  const std::string& path = options.production.rows;
  std::string error;
  const std::optional<std::string> bytes = ReadBoundedFile(path, env.in, kRowsFileLimit, error);
  if (!bytes) {
    env.err << "morvik-card: " << error << "\n";
    return std::nullopt;
  }
  CardRows rows = ReadCardRows(*bytes, options);
  if (rows.error.empty() && rows.rows.empty()) rows.error = "no rows below the header";
  for (std::size_t i = 0; i < rows.rows.size() && rows.error.empty(); ++i) {
    HeadlessWindow window;
    window.SetDefaultAnswer(options.confirm == true ? kIdOk : kIdCancel);
    if (BuildCardImage(rows.rows[i].options, {0, 0}, window)) continue;
    const ShownMessage* said = window.messages().empty() ? nullptr : &window.messages().back();
    const std::string subject = said ? OptionsConcerned(said->message.subject, rows.rows[i].options) : "";
    rows.error = "line " + std::to_string(rows.rows[i].line) + ": " +
                 (subject.empty() ? "" : subject + ": ") + (said ? said->text : "refused");
  }
  if (!rows.error.empty()) {
    env.err << "morvik-card: " << path << ": " << rows.error << "\n";
    return std::nullopt;
  }
  return rows;
}

// The rows an earlier run's log records as done, as indices into `rows`.
std::optional<std::set<std::size_t>> RowsResumed(const CliOptions& options, const CardRows& rows,
                                                 CliEnvironment& env) {
  std::set<std::size_t> indices;
  const std::string& path = options.production.resume;
  if (path.empty()) return indices;
  std::string error;
  const std::optional<std::string> log = ReadBoundedFile(path, env.in, kLogFileLimit, error);
  const ResumedRows resumed = log ? RowsDoneInLog(*log, rows.fileHash) : ResumedRows{};
  if (!log || !resumed.error.empty()) {
    env.err << "morvik-card: " << (log ? path + ": " + resumed.error : error) << "\n";
    return std::nullopt;
  }
  for (std::size_t i = 0; i < rows.rows.size(); ++i) {
    if (resumed.lines.contains(rows.rows[i].line)) indices.insert(i);
  }
  return indices;
}

ExitCode RunRows(const CliOptions& options, CliEnvironment& env) {
  const std::optional<CardRows> rows = ReadRows(options, env);
  if (!rows) return ExitCode::kUsage;
  const std::optional<std::set<std::size_t>> resumed = RowsResumed(options, *rows, env);
  if (!resumed) return ExitCode::kUsage;
  const std::optional<int> count = options.production.count;
  RowQueue queue(rows->rows.size(), *resumed,
                 count ? std::optional<std::size_t>(static_cast<std::size_t>(*count)) : std::nullopt);
  env.err << "morvik-card: " << options.production.rows << ": " << rows->rows.size() << " rows ("
          << CsvEncodingName(rows->encoding) << "), " << resumed->size() << " done before\n";
  BatchContext context;
  context.rows = &queue;
  context.rowImage = [&rows](std::size_t row, std::array<std::uint8_t, 2> cid) {
    return QuietImage(rows->rows[row].options, cid);
  };
  context.describeRow = [&rows](std::size_t row, CardRecord& record) {
    record.row = rows->rows[row].line;
    record.id = rows->rows[row].id;
    record.file = rows->fileHash;
  };
  return RunProductionLine(options, env, context);
}

std::string VerifyFailureText(const VerifyResult& result) {
  const bool mismatch = result.status == VerifyResult::Status::kMismatch;
  return (mismatch ? "verify failed at block " : "unreadable at block ") +
         std::to_string(result.block);
}

}  // namespace

// The content (an image file, or every row of a list) is checked, and its
// questions answered, before any writer is touched.
ExitCode RunBatch(const CliOptions& options, CliSession& session) {
  if (!options.production.rows.empty()) return RunRows(options, session.env);
  BatchContext context;
  if (options.image) {
    const ImageRead read = ReadCardImageFile(*options.image, session.env.in);
    const std::optional<std::string> refusal =
        read.image ? ImageRefusal(DecodeCard(*read.image), options.confirm == true,
                                   options.given.contains("--force")) : std::nullopt;
    if (!read.image || refusal) {
      session.env.err << "morvik-card: " << (refusal ? *options.image + ": " + *refusal : read.error) << "\n";
      return ExitCode::kUsage;
    }
    context.imageFor = [image = *read.image](std::array<std::uint8_t, 2>) { return image; };
  } else {
    if (!BuildCardImage(options, {0, 0}, session.window)) return ExitCode::kUsage;
    context.imageFor = [&options](std::array<std::uint8_t, 2> cid) { return QuietImage(options, cid); };
  }
  return RunProductionLine(options, session.env, context);
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
