#include "cli/cli_session.h"

#include <cerrno>
#include <ostream>

#include "card/card_formats.h"
#include "cli/card_description.h"
#include "cli/frame_trace.h"
#include "cli/interrupt.h"
#include "cli/option_table.h"
#include "content/card_decode.h"
#include "files/file_access.h"

namespace morvik {

CliSession::CliSession(CliEnvironment& environment, const CliOptions& cliOptions, bool writesCards)
    : env(environment),
      options(cliOptions),
      window(TerminalAnswers{cliOptions.confirm, cliOptions.wait, cliOptions.waitSeconds},
             environment.clock,
             TerminalStreams{environment.err, environment.in, environment.inIsTerminal,
                             environment.errIsTerminal}),
      operations(environment.platform, window, environment.clock),
      writesCards_(writesCards) {
  window.SetSubjectOf([&options = options](const MessageSubject& subject) {
    return OptionsConcerned(subject, options);
  });
}

void CliSession::StartTrace() {
  trace_ = std::make_unique<FrameTrace>(env.clock, [&err = env.err](const std::string& line) {
    err << line << std::flush;
  });
  operations.SetExchangeObserver(trace_.get());
  operations.SetResendObserver(trace_.get());
}

bool CliSession::Connect() {
  if (options.trace) StartTrace();
  if (options.port) operations.LimitScan(*options.port, *options.port);
  if (options.fast) operations.SetReplyEnd(ReplyEnd::kFrameAndGuard);
  operations.SetBlockResend(BlockResend::kIdempotent);  // line noise costs an exchange, not a card
  // A command that only reads ends at the first Ctrl-C. One that writes ends
  // at once while no card is in progress; otherwise the card finishes, and a
  // second Ctrl-C stops it at the next block (the write then says where).
  InstallInterruptHandlers(writesCards_ ? InterruptMode::kEndWhenIdle : InterruptMode::kEndAtOnce);
  operations.SetStopCheck([] { return InterruptCount() >= 2; });
  operations.ConnectWriter();  // the window's answers decide how long it looks
  return !operations.connectedPort().empty();
}

ExitCode CliSession::Status(ExitCode whenDone) const { return window.failure().value_or(whenDone); }

void CliSession::UsageError(const std::string& message) {
  env.err << kToolSays << message << " (see morvik-card " << options.command << " --help)\n";
}

namespace {

using ImageBytes = std::span<const std::uint8_t, kContentImageSize>;

std::string Formatted(std::string_view format, ImageBytes card, std::string_view idm) {
  if (format == "raw") return std::string(card.begin(), card.end());
  if (format == "hex") return HexLines(card);
  if (format == "json") return CardJson(idm, card, DescribeCard(DecodeCard(card)));
  std::string listing;
  for (const char c : CardListing(card)) {
    if (c != '\r') listing += c;
  }
  return listing;
}

bool ToStandardOutput(const CliOptions& options) { return !options.out || *options.out == "-"; }

std::string_view FormatOf(const CliOptions& options) {
  if (!options.format.empty()) return options.format;
  return options.out ? "raw" : "listing";
}

}  // namespace

bool RefuseRawToTerminal(CliSession& session) {
  const CliOptions& options = session.options;
  if (FormatOf(options) != "raw" || !ToStandardOutput(options) || !session.env.outIsTerminal) {
    return false;
  }
  session.UsageError("the raw card bytes would go to the terminal: name a file with --out");
  return true;
}

ExitCode EmitCard(CliSession& session, ImageBytes card, std::string_view idm) {
  const CliOptions& options = session.options;
  const std::string text = Formatted(FormatOf(options), card, idm);
  if (ToStandardOutput(options)) {
    session.env.out << text;
    return ExitCode::kOk;
  }
  std::string error;
  if (WriteWholeFile(*options.out, text, error)) return ExitCode::kOk;
  session.env.err << kToolSays << error << "\n";
  return ExitCode::kOutputLost;
}

bool FlushStandardOutput(std::ostream& out, std::ostream& err) {
  errno = 0;
  if (out.flush()) return true;
  err << kToolSays << "standard output: " << OutputFailureReason(errno) << "\n";
  return false;
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

std::string VerifyFailureText(const VerifyResult& result) {
  const bool mismatch = result.status == VerifyResult::Status::kMismatch;
  return (mismatch ? "verify failed at block " : "unreadable at block ") +
         std::to_string(result.block);
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
    err << kToolSays << (mismatch ? "" : "card ") << VerifyFailureText(result) << "\n";
  }
  return status;
}

ExitCode StatusAfterInterrupts(const CardOperations& card, ExitCode status, bool stopTold,
                               std::ostream& err) {
  if (InterruptCount() == 0) return status;
  const std::optional<LastWrite>& last = card.lastWrite();
  if (last && last->written == kCardBlocks) {
    err << kToolSays << "interrupted: card " << IdmText(last->idm) << " is complete\n";
  } else if (last && !stopTold) {
    err << kToolSays << "interrupted: card " << IdmText(last->idm) << " stopped at block "
        << last->written << "\n";
  }
  return ExitCode::kInterrupted;
}

}  // namespace morvik
