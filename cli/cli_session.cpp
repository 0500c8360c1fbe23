#include "cli/cli_session.h"

#include <algorithm>
#include <cerrno>
#include <ostream>

#include "card/card_formats.h"
#include "cli/card_description.h"
#include "cli/frame_trace.h"
#include "cli/interrupt.h"
#include "cli/port_reasons.h"
#include "cli/option_table.h"
#include "content/card_decode.h"
#include "files/file_access.h"

namespace morvik {

CliSession::CliSession(CliEnvironment& environment, const CliOptions& cliOptions, bool writesCards)
    : env(environment),
      options(cliOptions),
      window(TerminalAnswers{cliOptions.confirm, cliOptions.wait, cliOptions.waitSeconds, environment.language},
             environment.clock,
             TerminalStreams{environment.err, environment.in, environment.inIsTerminal,
                             environment.errIsTerminal}),
      operations(environment.platform, window, environment.clock),
      writesCards_(writesCards) {
  window.SetSubjectOf([&options = options](const MessageSubject& subject) {
    return OptionsConcerned(subject, options);
  });
  window.SetCauseOf([this](const OperatorMessage& message) {
    return message.subject.kind == MessageKind::kNoWriter ? PortsWithoutWriter() : MessageCause{};
  });
}

MessageCause CliSession::PortsWithoutWriter() const {
  std::vector<TriedPort> told;
  for (const TriedPort& tried : operations.triedPorts()) {
    // A scan passes by the port names that lead nowhere; a port named is told.
    if (tried.problem == PortProblem::kNoSuchPort && !options.port) continue;
    told.push_back(tried);
  }
  return NoWriterCause(told, env.language);
}

namespace {

constexpr char kPortsToMend[] =
    "Morvik ICCard Writerにつながりませんでした。上のポートの問題を解消してからもう一度実行してください";

bool Mendable(PortProblem problem) {
  return problem == PortProblem::kNoPermission || problem == PortProblem::kBusy || problem == PortProblem::kDamaged;
}

}  // namespace

MessageCause NoWriterCause(std::span<const TriedPort> told, Language language) {
  MessageCause cause;
  for (const TriedPort& tried : told) cause.lines.push_back(tried.port + ": " + Say(PortReason(tried), language));
  // Waiting for a writer to be plugged in helps none of these: each is said
  // with what to do about it.
  if (std::ranges::any_of(told, Mendable, &TriedPort::problem)) cause.conclusion = kPortsToMend;
  // Something on the line talks, but badly: a writer, not the absence of one.
  if (std::ranges::any_of(told, [](const TriedPort& t) { return t.problem == PortProblem::kDamaged; })) {
    cause.status = ExitCode::kWriterAnswersBadly;
  }
  return cause;
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
  InstallInterruptHandlers(writesCards_ ? InterruptMode::kEndWhenIdle : InterruptMode::kEndAtOnce, env.language);
  operations.SetStopCheck([] { return InterruptCount() >= 2; });
  operations.ConnectWriter();  // the window's answers decide how long it looks
  return !operations.connectedPort().empty();
}

ExitCode CliSession::Status(ExitCode whenDone) const { return window.failure().value_or(whenDone); }

void CliSession::Print(std::string_view text, std::string_view jsonLine) {
  if (options.format == "json") {
    env.out << jsonLine << "\n";
  } else {
    env.out << text;
  }
}

void CliSession::UsageError(const std::string& message) {
  const std::string help = "morvik-card " + options.command + " --help";
  env.err << kToolSays << Say({Said::kUsageError, {message, help}}, env.language) << "\n";
}

namespace {

using ImageBytes = std::span<const std::uint8_t, kContentImageSize>;

std::string Formatted(std::string_view format, ImageBytes card, std::string_view idm) {
  if (format == "raw") return std::string(card.begin(), card.end());
  if (format == "hex") return HexLines(card);
  if (format == "json") return CardJson(idm, card, DescribeCard(DecodeCard(card)));
  // The card's own listing, after the IDm of the card it was read from.
  std::string listing = idm.empty() ? "" : "IDm: " + std::string(idm) + "\n";
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
  session.UsageError(Say({Said::kRawToTerminal}, session.env.language));
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

bool FlushStandardOutput(std::ostream& out, std::ostream& err, Language language) {
  errno = 0;
  if (out.flush()) return true;
  err << kToolSays << Say({Said::kStandardOutput}, language) << ": " << OutputFailureReason(errno) << "\n";
  return false;
}

namespace {

struct ReadBackEnd {
  VerifyResult::Status status;
  CardEnd end;
  ExitCode exit;
};

constexpr ReadBackEnd kReadBackEnds[] = {
    {VerifyResult::Status::kMatch, CardEnd::kOk, ExitCode::kOk},
    {VerifyResult::Status::kMismatch, CardEnd::kVerifyFailed, ExitCode::kVerifyMismatch},
    {VerifyResult::Status::kReadFailed, CardEnd::kUnreadable, ExitCode::kCardFailed},
    {VerifyResult::Status::kStopped, CardEnd::kInterrupted, ExitCode::kInterrupted},
};

}  // namespace

ReadBack ReadCardBack(CardOperations& card, std::span<const std::uint8_t, kContentImageSize> image,
                      const CardIdm& idm) {
  SetCardInProgress(true);
  const VerifyResult result = card.VerifyCardImage(image, idm);
  SetCardInProgress(false);
  for (const ReadBackEnd& row : kReadBackEnds) {
    if (row.status == result.status) return {{IdmText(idm), row.end, result.block, std::nullopt}, row.exit};
  }
  return {{IdmText(idm), CardEnd::kUnreadable, result.block, std::nullopt}, ExitCode::kCardFailed};
}

namespace {

// The card written whole, read back: said on stdout as verify says it.
ExitCode ReportReadBack(CliSession& session, const LastWrite& last) {
  ReadBack back = ReadCardBack(session.operations, last.image, last.idm);
  back.outcome.readBack = true;
  const bool ok = back.status == ExitCode::kOk;
  const bool told = back.status != ExitCode::kInterrupted;
  const std::string& idm = back.outcome.idm;
  const std::string text = ok ? Say({Said::kWrittenAndReadBack, {idm}}, session.env.language)
                              : idm + " " + CardEndText(back.outcome, session.env.language);
  session.Print(told ? text + "\n" : "", CardOutcomeJson(back.outcome));
  return back.status;
}

}  // namespace

namespace {

// A write that stopped short: interrupted, the card taken off (another card or
// none on a writer that still answers), or failed on the card.
CardEnd WhyShort(CardOperations& card, const CardIdm& idm) {
  if (card.StopRequested()) return CardEnd::kInterrupted;
  if (card.lastSendFailed()) return CardEnd::kWriteFailed;
  const std::optional<CardIdm> onWriter = card.PollCard();
  return onWriter == idm || card.lastSendFailed() ? CardEnd::kWriteFailed : CardEnd::kRemoved;
}

}  // namespace

ExitCode ReportLastWrite(CliSession& session, bool readBack) {
  const ExitCode status = session.Status();
  const std::optional<LastWrite>& last = session.operations.lastWrite();
  if (!last) return status;  // no card: the window has said why
  const bool whole = last->written == kCardBlocks;
  if (whole && readBack && status == ExitCode::kOk) return ReportReadBack(session, *last);
  CardOutcome outcome{IdmText(last->idm), CardEnd::kOk, last->written, false};
  if (!whole) outcome.end = WhyShort(session.operations, last->idm);
  session.Print("", CardOutcomeJson(outcome));
  return status;
}

ExitCode StatusAfterInterrupts(const CardOperations& card, ExitCode status, bool stopTold,
                               std::ostream& err, Language language) {
  if (InterruptCount() == 0) return status;
  const std::optional<LastWrite>& last = card.lastWrite();
  if (last && last->written == kCardBlocks) {
    err << kToolSays << Say({Said::kInterruptedComplete, {IdmText(last->idm)}}, language) << "\n";
  } else if (last && !stopTold) {
    const std::string block = std::to_string(last->written);
    err << kToolSays << Say({Said::kInterruptedAtBlock, {IdmText(last->idm), block}}, language) << "\n";
  }
  return ExitCode::kInterrupted;
}

}  // namespace morvik
