#include "cli/card_commands.h"

#include <algorithm>
#include <ostream>

#include "card/card_formats.h"
#include "cli/card_description.h"
#include "cli/card_image_options.h"
#include "cli/image_file.h"
#include "cli/interrupt.h"
#include "cli/port_reasons.h"
#include "content/card_decode.h"
#include "link/serial_com.h"
#include "window/control_ids.h"
#include "words/help_catalog.h"

namespace morvik {

ExitCode RunConnect(const CliOptions&, CliSession& session) {
  if (!session.Connect()) return session.Status(ExitCode::kNoWriter);
  const std::string& port = session.operations.connectedPort();
  session.Print(port + "\n" + session.window.text(kIdcReport) + "\n",
                WriterJson(port, session.operations.identity()));
  return ExitCode::kOk;
}

namespace {

struct PortState {
  std::string_view key;  // JSON's "state"
  std::string text;      // what the listing says, in the user's language
  bool writer = false;
  std::string jsonText = {};  // the same in English: JSON's values are never translated
};

PortState StateOf(CliSession& session, const std::string& port) {
  WriterLink& link = session.operations;
  const bool answered = link.ConnectOnPort(port);
  link.port().Close();
  if (answered) {
    return {"writer", Say({Said::kPortHasWriter, {session.window.text(kIdcReport)}}, session.env.language), true, {}};
  }
  const auto tried = std::ranges::find(link.triedPorts(), port, &TriedPort::port);
  const Saying reason = tried == link.triedPorts().end() ? Saying{Said::kPortNoAnswer} : PortReason(*tried);
  const std::string_view key = tried == link.triedPorts().end() ? "no-answer" : PortProblemKey(tried->problem);
  return {key, Say(reason, session.env.language), false, Say(reason, Language::kEnglish)};
}

}  // namespace

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
  if (rows.empty()) {
    session.env.err << kToolSays << Say({Said::kNoSerialPort}, session.env.language) << "\n";
    return ExitCode::kNoWriter;
  }
  for (auto& [port, device] : rows) {
    const PortState state = StateOf(session, port);
    const std::string json = PortJson(port, device, state.key, state.writer ? "" : state.jsonText,
                                      state.writer ? &session.operations.identity() : nullptr);
    port.resize(portWidth, ' ');
    device.resize(deviceWidth, ' ');
    session.Print(port + "  " + device + "  " + state.text + "\n", json);
    session.env.out << std::flush;
  }
  return ExitCode::kOk;
}

ExitCode RunImage(const CliOptions& options, CliSession& session) {
  if (RefuseRawToTerminal(session)) return ExitCode::kUsage;
  PutContentIntoWindow(session.window, options);
  const std::optional<ContentImage> image =
      ComposeCard(session.operations, options, options.customerId);
  if (!image) return ExitCode::kUsage;
  return EmitCard(session, *image, {});
}

namespace {

// One line naming the file and the reason; nothing else is done.
std::optional<ContentImage> ReadImageOrSay(const std::string& path, CliSession& session) {
  const ImageRead read = ReadCardImageFile(path, session.env.in, session.env.language);
  if (!read.image) session.env.err << kToolSays << read.error << "\n";
  return read.image;
}

// One line a field, the values lined up after the widest name.
std::string DescriptionText(const CardFields& fields) {
  std::size_t width = 13;
  for (const CardField& field : fields) width = std::max(width, DisplayWidth(field.label));
  std::string text;
  for (const auto& [name, key, value] : fields) {
    text += name + ":" + std::string(width + 1 - DisplayWidth(name), ' ') + value + "\n";
  }
  return text;
}

}  // namespace

ExitCode RunDecode(const CliOptions& options, CliSession& session) {
  const std::optional<ContentImage> card = ReadImageOrSay(*options.operand, session);
  if (!card) return ExitCode::kUsage;
  const DecodedCard decoded = DecodeCard(*card);
  const std::string json = CardJson({}, *card, DescribeCard(decoded));
  session.Print(DescriptionText(DescribeCard(decoded, session.env.language)),
                std::string_view(json).substr(0, json.size() - 1));
  return IsDamaged(decoded) || decoded.kind == CardKind::kUnknown ? ExitCode::kCardFailed
                                                                   : ExitCode::kOk;
}

ExitCode RunUid(const CliOptions&, CliSession& session) {
  if (!session.Connect()) return session.Status(ExitCode::kNoWriter);
  CardIdm idm{};
  if (!session.operations.DetectCard(idm)) return session.Status(ExitCode::kNoCard);
  session.Print(IdmText(idm) + "\n", IdmJson(IdmText(idm)));
  return ExitCode::kOk;
}

namespace {

// A content card of another customer's on this writer is the operator's call.
bool CustomerAgrees(CliSession& session, const DecodedCard& decoded) {
  const std::array<std::uint8_t, 2> writer = session.operations.customerId();
  if (decoded.kind != CardKind::kContent || decoded.customerId == writer) return true;
  const std::string question =
      Say({Said::kOtherCustomer, {CustomerIdText(decoded.customerId), CustomerIdText(writer)}}, session.env.language);
  const OperatorMessage message(question, "morvik-card", kMbOkCancel, {MessageKind::kQuestion, {}});
  return session.window.ShowMessage(message) == kIdOk;
}

ExitCode WriteImageFile(const CliOptions& options, CliSession& session) {
  const std::optional<ContentImage> image = ReadImageOrSay(*options.image, session);
  if (!image) return ExitCode::kUsage;
  const DecodedCard decoded = DecodeCard(*image);
  if (const std::optional<std::string> refusal = ImageRefusal(decoded, options.confirm == true, options.given.contains("--force"), session.env.language)) {
    session.env.err << kToolSays << *options.image << ": " << *refusal << "\n";
    return ExitCode::kUsage;
  }
  if (!session.Connect()) return session.Status(ExitCode::kNoWriter);
  if (!CustomerAgrees(session, decoded)) {
    session.env.err << kToolSays << *options.image << ": " << Say({Said::kImageNotWritten}, session.env.language)
                    << "\n";
    return ExitCode::kUsage;
  }
  session.operations.WriteWholeImage(*image);
  return ReportLastWrite(session, options.verify);
}

}  // namespace

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
  return ReportLastWrite(session, options.verify);
}

ExitCode RunClear(const CliOptions& options, CliSession& session) {
  if (options.confirm != true) {
    session.UsageError(Say({Said::kClearNeedsYes}, session.env.language));
    return ExitCode::kUsage;
  }
  if (!session.Connect()) return session.Status(ExitCode::kNoWriter);
  session.operations.OnClearCard();
  return ReportLastWrite(session, false);
}

ExitCode RunDump(const CliOptions&, CliSession& session) {
  if (RefuseRawToTerminal(session)) return ExitCode::kUsage;
  if (!session.Connect()) return session.Status(ExitCode::kNoWriter);
  session.window.SayReading();
  ContentImage card{};
  CardIdm idm{};
  if (!session.operations.ReadCard(card, idm)) return session.Status(ExitCode::kCardFailed);
  return EmitCard(session, card, IdmText(idm));
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
  const ReadBack back = ReadCardBack(card, *image, idm);
  if (back.status != ExitCode::kInterrupted) {
    session.Print(back.outcome.idm + " " + CardEndText(back.outcome, session.env.language) + "\n",
                  CardOutcomeJson(back.outcome));
  }
  return back.status;
}

}  // namespace morvik
