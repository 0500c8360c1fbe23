#include "cli/cli_commands.h"

#include <cstdio>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <iterator>

#include "cli/card_description.h"
#include "cli/card_image_options.h"
#include "cli/image_file.h"
#include "cli/frame_trace.h"
#include "cli/interrupt.h"
#include "cli/production_commands.h"
#include "files/file_access.h"
#include "card/block_commands.h"
#include "card/card_formats.h"
#include "content/card_decode.h"
#include "content/content_image.h"
#include "content/terminal_settings.h"
#include "link/number_text.h"
#include "link/serial_com.h"
#include "window/control_ids.h"

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
  env.err << "morvik-card: " << message << " (see morvik-card " << options.command << " --help)\n";
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

// Raw bytes would garble a terminal: refused before any port is opened.
bool RefuseRawToTerminal(CliSession& session) {
  const CliOptions& options = session.options;
  if (FormatOf(options) != "raw" || !ToStandardOutput(options) || !session.env.outIsTerminal) {
    return false;
  }
  session.UsageError("the raw card bytes would go to the terminal: name a file with --out");
  return true;
}

// The card on stdout (a listing by default) or in --out (raw by default).
ExitCode Emit(CliSession& session, ImageBytes card, std::string_view idm) {
  const CliOptions& options = session.options;
  const std::string text = Formatted(FormatOf(options), card, idm);
  if (ToStandardOutput(options)) {
    session.env.out << text;
    return ExitCode::kOk;
  }
  std::string error;
  if (WriteWholeFile(*options.out, text, error)) return ExitCode::kOk;
  session.env.err << "morvik-card: " << error << "\n";
  return ExitCode::kOutputLost;
}

ExitCode RunConnect(const CliOptions&, CliSession& session) {
  if (!session.Connect()) return session.Status(ExitCode::kNoWriter);
  session.env.out << session.operations.connectedPort() << "\n"
                  << session.window.text(kIdcReport) << "\n";
  return ExitCode::kOk;
}

std::string PortState(CliSession& session, const std::string& port) {
  WriterLink& link = session.operations;
  session.env.platform.TakeRefusals();
  if (!link.OpenPort(port)) {
    const std::vector<RefusedDevice> refused = session.env.platform.TakeRefusals();
    if (refused.empty()) return "absent";
    if (refused[0].reason == RefusedDevice::Reason::kBusy) return "busy";
    return "no permission (join the group " +
           (refused[0].group.empty() ? std::string("that owns the device") : refused[0].group) +
           ")";
  }
  const bool answered = link.HandshakeOpenPort(port);
  link.port().Close();
  return answered ? "writer " + session.window.text(kIdcReport) : "no answer";
}

ExitCode RunPorts(const CliOptions& options, CliSession& session) {
  if (options.trace) session.StartTrace();
  if (options.fast) session.operations.SetReplyEnd(ReplyEnd::kFrameAndGuard);
  // The devices are named first, so the columns line up while each port's
  // state is printed as soon as it is known.
  std::vector<std::pair<std::string, std::string>> rows;
  std::size_t portWidth = 0;
  std::size_t deviceWidth = 0;
  for (int number = 1; number <= kComPortCount; ++number) {
    std::string port = "COM" + std::to_string(number);
    std::string device = session.env.platform.DeviceName(CSerialCom::DevicePath(port));
    if (device.empty()) continue;
    portWidth = std::max(portWidth, port.size());
    deviceWidth = std::max(deviceWidth, device.size());
    rows.emplace_back(std::move(port), std::move(device));
  }
  for (auto& [port, device] : rows) {
    const std::string state = PortState(session, port);
    port.resize(portWidth, ' ');
    device.resize(deviceWidth, ' ');
    session.env.out << port << "  " << device << "  " << state << "\n" << std::flush;
  }
  return ExitCode::kOk;
}

ExitCode RunImage(const CliOptions& options, CliSession& session) {
  if (RefuseRawToTerminal(session)) return ExitCode::kUsage;
  PutContentIntoWindow(session.window, options);
  const std::optional<ContentImage> image =
      ComposeCard(session.operations, options, options.customerId);
  if (!image) return ExitCode::kUsage;
  return Emit(session, *image, {});
}

// One line naming the file and the reason; nothing else is done.
std::optional<ContentImage> ReadImageOrSay(const std::string& path, CliSession& session) {
  const ImageRead read = ReadCardImageFile(path, session.env.in);
  if (!read.image) session.env.err << "morvik-card: " << read.error << "\n";
  return read.image;
}

ExitCode RunDecode(const CliOptions& options, CliSession& session) {
  const std::optional<ContentImage> card = ReadImageOrSay(*options.operand, session);
  if (!card) return ExitCode::kUsage;
  const DecodedCard decoded = DecodeCard(*card);
  for (const auto& [name, value] : DescribeCard(decoded)) {
    session.env.out << std::left << std::setw(14) << name + ":" << ' ' << value << "\n";
  }
  return IsDamaged(decoded) || decoded.kind == CardKind::kUnknown ? ExitCode::kCardFailed
                                                                   : ExitCode::kOk;
}

ExitCode RunUid(const CliOptions&, CliSession& session) {
  if (!session.Connect()) return session.Status(ExitCode::kNoWriter);
  CardIdm idm{};
  if (!session.operations.DetectCard(idm)) return session.Status(ExitCode::kNoCard);
  session.env.out << IdmText(idm) << "\n";
  return ExitCode::kOk;
}

// A content card of another customer's on this writer is the operator's call.
bool CustomerAgrees(CliSession& session, const DecodedCard& decoded) {
  const std::array<std::uint8_t, 2> writer = session.operations.customerId();
  if (decoded.kind != CardKind::kContent || decoded.customerId == writer) return true;
  const std::string question = "the image carries customer ID " + CustomerIdText(decoded.customerId) +
                               ", the writer " + CustomerIdText(writer) + ": write it anyway?";
  const OperatorMessage message(question, "morvik-card", kMbOkCancel, {MessageKind::kQuestion, {}});
  return session.window.ShowMessage(message) == kIdOk;
}

ExitCode WriteImageFile(const CliOptions& options, CliSession& session) {
  const std::optional<ContentImage> image = ReadImageOrSay(*options.image, session);
  if (!image) return ExitCode::kUsage;
  const DecodedCard decoded = DecodeCard(*image);
  if (const std::optional<std::string> refusal = ImageRefusal(decoded, options.confirm == true, options.given.contains("--force"))) {
    session.env.err << "morvik-card: " << *options.image << ": " << *refusal << "\n";
    return ExitCode::kUsage;
  }
  if (!session.Connect()) return session.Status(ExitCode::kNoWriter);
  if (!CustomerAgrees(session, decoded)) return ExitCode::kUsage;
  session.operations.WriteWholeImage(*image);
  return session.Status();
}

ExitCode RunWrite(const CliOptions& options, CliSession& session) {
  if (options.image) return WriteImageFile(options, session);
  PutContentIntoWindow(session.window, options);
  {
    // Checked before any port is touched: the same messages and questions.
    CardOperations offline(session.env.platform, session.window, session.env.clock);
    if (!ComposeCard(offline, options, {})) return ExitCode::kUsage;
  }
  if (!session.Connect()) return session.Status(ExitCode::kNoWriter);
  CardOperations& operations = session.operations;
  ResetContent(operations, options);
  if (options.content.readMark) {
    operations.OnCreateReadCard();
  } else if (options.uidCard || options.content.serviceCid) {
    operations.OnCreateWriteCard();
  } else {
    operations.OnWriteCard();
  }
  const ExitCode status = session.Status();
  if (status != ExitCode::kOk || !options.verify) return status;
  return VerifyLastWrite(operations, session.env.err);
}

ExitCode RunClear(const CliOptions& options, CliSession& session) {
  if (options.confirm != true) {
    session.UsageError("clear erases the card: give --yes");
    return ExitCode::kUsage;
  }
  if (!session.Connect()) return session.Status(ExitCode::kNoWriter);
  session.operations.OnClearCard();
  return session.Status();
}

ExitCode RunDump(const CliOptions&, CliSession& session) {
  if (RefuseRawToTerminal(session)) return ExitCode::kUsage;
  if (!session.Connect()) return session.Status(ExitCode::kNoWriter);
  session.window.SetProgressVerb("読み出し");
  ContentImage card{};
  CardIdm idm{};
  if (!session.operations.ReadCard(card, idm)) return session.Status(ExitCode::kCardFailed);
  return Emit(session, card, IdmText(idm));
}

std::vector<std::string_view> Joined(std::initializer_list<std::vector<std::string_view>> groups) {
  std::vector<std::string_view> names;
  for (const auto& group : groups) names.insert(names.end(), group.begin(), group.end());
  return names;
}

}  // namespace

// The keywords the texts may carry, for the help of the commands that compose.
#define KEYWORD_HELP                                                                   \
  "Keywords in --url, --title and --body: [IM] the card's IDm, [CT] a counter right\n" \
  "after [IM], [CI] the customer ID, [UI] the terminal's ID (left as typed)."

std::span<const CommandSpec> Commands() {
  static const std::vector<std::string_view> writer = WriterOptionNames();
  static const std::vector<std::string_view> content = ContentOptionNames();
  static const std::vector<CommandSpec> commands = {
      {"connect", "", "find the writer; print its port and version report",
       "Looks for the card writer on COM1-COM31 (or on --port only), runs its start-up\n"
       "sequence and prints the port and the writer's version report.",
       writer, RunConnect},
      {"ports",
       "",
       "list the ports COM1-COM31 and what answers on each",
       "One line for each port that maps to a device: the port, the device and its state:\n"
       "absent, no permission (with the group to join), busy, no answer, or writer with\n"
       "its version report.",
       {"--trace", "--fast"},
       RunPorts},
      {"image", "", "compose a card offline and print it (no writer needed)",
       "Composes exactly the card write puts on a card with the same options and prints\n"
       "it. Card kinds: content card; initialisation card (--init, or --service-cid N,\n"
       "which is then its customer ID); read card (--read-mark, customer ID from\n"
       "--service-cid); UID setting card (--uid-card N). A content card carries the\n"
       "writer's customer ID: give it with --cid.\n" KEYWORD_HELP,
       Joined({content, {"--cid", "--format", "--out"}}), RunImage},
      {"decode",
       "FILE|-",
       "say what a card image means",
       "Reads a card image (the 256 bytes, or 512 hexadecimal digits) from FILE or from\n"
       "standard input (-) and prints what it means: the kind, customer ID, URL, popup,\n"
       "mail, keyword blanks, each setting with its item text, and the check byte.",
       {},
       RunDecode},
      {"uid", "", "print the IDm of the card on the writer",
       "Detects the card on the writer and prints its IDm (16 hexadecimal digits).", writer,
       RunUid},
      {"write", "", "write a card composed from the options, or --image FILE",
       "Writes a card: the one image shows for the same options, or with --image exactly\n"
       "the 256 bytes of FILE. The content is checked before the writer is looked "
       "for.\n" KEYWORD_HELP,
       Joined({content, {"--image", "--force", "--verify"}, writer}), RunWrite, true},
      {"clear", "", "erase the card on the writer (64 zero blocks); needs --yes",
       "Writes 64 zero blocks to the card on the writer. It erases the card: --yes is needed.",
       Joined({{"--yes"}, writer}), RunClear, true},
      {"dump", "", "read the whole card and print it",
       "Reads the card's 64 blocks and prints them. json: the IDm, the 256 bytes as 512\n"
       "hexadecimal digits (\"image\") and the decoded fields (\"decoded\").",
       Joined({{"--format", "--out"}, writer}), RunDump},
      {"batch", "",
       "write and read back every new card put on the writer(s), one line per card",
       "Writes the content to every new card put on the writer(s), reads each card back\n"
       "and prints one line per card. The content is checked, and its questions\n"
       "answered, before any writer is touched. A card written and read back ok is\n"
       "never written again; a card that failed is written again once it has been\n"
       "taken off and put on again. A writer that is lost, or does not answer at the\n"
       "start, is looked for on its port every second. Ctrl-C once: every writer\n"
       "finishes its card, then the run ends; twice: each stops at the next block.\n"
       "A record that cannot be written to stdout or --log ends the run the same way\n"
       "and is given on stderr. Exit status: 0 all ok, 1 a card failed or a writer\n"
       "was not back at the end, 3 no writer at all, 5 only verify failures, 6 a\n"
       "record not written, 130 interrupted.\n"
       "With --rows FILE each card takes the next row of a CSV file whose header names\n"
       "content options without -- (url, popup, mail, ..., uid-card) and may have an\n"
       "id column; a non-empty cell overrides the option given here. Every row is\n"
       "checked first; a row is done once its card is written and read back ok, and\n"
       "--resume LOG skips the rows an earlier run's log records as done.\n" KEYWORD_HELP,
       Joined({content, ProductionOptionNames()}), RunBatch},
      {"history", "LOG...", "which row is on which card, from batch's journals",
       "Reads the journals batch --log writes and prints one line per card, oldest first:\n"
       "when it was started, the writer, the IDm, the row and its id, and the result. A\n"
       "card started and left without a result (the run was killed) is in doubt: it may\n"
       "hold part of its row. --format json prints one object per line.",
       {"--idm", "--id", "--row", "--result", "--since", "--format"},
       RunHistory},
      {"verify", "", "compare the card on the writer with the content options",
       "Reads the card on the writer and compares it with the card the content options\n"
       "compose: prints the IDm and ok, or the first differing block (exit status 5).",
       Joined({content, writer}), RunVerify},
  };
  return commands;
}

namespace {

// Every port would look absent with a folder of port links that is not there.
std::optional<std::string> PortDirectoryProblem() {
#ifdef _WIN32
  return std::nullopt;
#else
  const char* directory = std::getenv("MORVIK_PORT_DIR");
  if (directory == nullptr || *directory == '\0') return std::nullopt;
  std::error_code error;
  if (std::filesystem::is_directory(directory, error)) return std::nullopt;
  return "MORVIK_PORT_DIR=" + std::string(directory) + ": " +
         (error ? error.message() : std::string("not a folder"));
#endif
}

// The commands that open ports are those that take --fast.
bool OpensPorts(const CommandSpec& command) {
  return std::find(command.options.begin(), command.options.end(), "--fast") !=
         command.options.end();
}

ExitCode RunParsed(const ParseResult& parsed, CliEnvironment& environment) {
  if (!parsed.options) {
    (parsed.status == ExitCode::kOk ? environment.out : environment.err) << parsed.text;
    return parsed.status;
  }
  for (const CommandSpec& command : Commands()) {
    if (command.name != parsed.options->command) continue;
    const std::optional<std::string> problem =
        OpensPorts(command) ? PortDirectoryProblem() : std::nullopt;
    if (problem) {
      environment.err << "morvik-card: " << *problem << "\n";
      return ExitCode::kUsage;
    }
    CliSession session(environment, *parsed.options, command.writesCards);
    const ExitCode status = command.handler(*parsed.options, session);
    const bool stopTold = session.window.Told(MessageKind::kWriteStopped);
    return StatusAfterInterrupts(session.operations, status, stopTold, environment.err);
  }
  return ExitCode::kUsage;
}

}  // namespace

bool FlushStandardOutput(std::ostream& out, std::ostream& err) {
  errno = 0;
  if (out.flush()) return true;
  err << "morvik-card: standard output: " << OutputFailureReason(errno) << "\n";
  return false;
}

ExitCode RunCli(const std::vector<std::string>& arguments, CliEnvironment& environment) {
  const ExitCode status = RunParsed(ParseCommandLine(arguments, Commands()), environment);
  if (status == ExitCode::kOutputLost) return status;  // said already, by the command
  return FlushStandardOutput(environment.out, environment.err) ? status : ExitCode::kOutputLost;
}

}  // namespace morvik
