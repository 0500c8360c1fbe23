// morvik-card: the tool's operations from a terminal, for scripts and service
// work. Every command runs the same operations the window runs, through a
// terminal backend of the window services.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/card_image_options.h"
#include "app/cli/cli_options.h"
#include "app/cli/console.h"
#include "app/cli/interrupt.h"
#include "app/cli/production_commands.h"
#include "app/cli/terminal_window.h"
#include "card/card_operations.h"
#include "content/content_image.h"
#include "content/terminal_settings.h"
#include "link/system_serial.h"
#include "window/cp932.h"
#include "window/control_ids.h"

namespace morvik {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// The listing as the dump shows it, with the line ends of this system.
void PrintListing(const std::string& listing) {
  std::string lines;
  for (char c : listing) {
    if (c != '\r') lines += c;
  }
  std::cout << lines;
}

int RunImage(const CliOptions& options, TerminalWindow& window) {
  const ContentOptions& content = options.content;
  // Read as the window reads its entry: code page 932 bytes, then the number.
  const EntryText typed = EntryFromUtf8(content.serviceCid.value_or(""), kEntryBufferSize);
  const std::optional<std::int32_t> serviceCid = ParseCardNumber(typed.bytes);
  if (!serviceCid) {
    std::cerr << "morvik-card: --service-cid is not a hexadecimal number up to FFFF\n";
    return kExitUsage;
  }
  PutContentIntoWindow(window, content);
  ContentSettings settings;
  ResetContentSettings(settings);
  settings.mailEnabled = content.mail ? 1 : 0;
  ContentImage image{};
  const ContentValues values{options.customerId, *serviceCid,
                             static_cast<std::uint8_t>(content.readMark ? 1 : 0)};
  if (!CaptureContentSettings(window, settings, *serviceCid) ||
      !BuildContentImage(window, settings, values, image)) {
    return kExitFailure;
  }
  if (options.raw) {
    std::cout.write(reinterpret_cast<const char*>(image.data()), image.size());
  } else {
    PrintListing(CardListing(image));
  }
  return 0;
}

void RunWrite(const CliOptions& options, CardOperations& dialog, HeadlessWindow& window) {
  const ContentOptions& content = options.content;
  ResetContentSettings(dialog.contentSettings());
  dialog.contentSettings().mailEnabled = content.mail ? 1 : 0;
  PutContentIntoWindow(window, content);
  if (options.uidCard) {
    window.SetCheck(kIdcUidCardCheck, 1);
    window.SetControlText(kIdcServiceCid, *options.uidCard);
    dialog.OnCreateWriteCard();
  } else if (content.readMark) {
    window.SetControlText(kIdcServiceCid, content.serviceCid.value_or(""));
    dialog.OnCreateReadCard();
  } else if (content.serviceCid) {
    window.SetControlText(kIdcServiceCid, *content.serviceCid);
    dialog.OnCreateWriteCard();
  } else {
    dialog.OnWriteCard();
  }
}

int RunWithWriter(const CliOptions& options, TerminalWindow& window) {
  const std::unique_ptr<SerialPlatform> platform = MakeSystemSerialPlatform();
  SystemClock clock;
  CardOperations dialog(*platform, window, clock);
  if (options.fast) dialog.SetReplyEnd(ReplyEnd::kFrameAndGuard);
  InstallInterruptHandlers(true);
  dialog.SetStopCheck([] { return InterruptCount() >= 2; });
  dialog.ConnectWriter();  // ends the process with status 1 when no writer answers
  const std::string& command = options.command;
  if (command == "connect") {
    std::cout << dialog.connectedPort() << "\n" << window.text(kIdcReport) << "\n";
    return 0;
  }
  if (command == "uid") {
    dialog.OnCheckUid();
    const std::string& idm = window.text(kIdcUidDisplay);
    if (idm.empty()) return kExitFailure;
    std::cout << idm << "\n";
    return 0;
  }
  if (command == "write") RunWrite(options, dialog, window);
  if (command == "clear") dialog.OnClearCard();
  if (command == "dump") {
    dialog.OnDumpCard();
    if (!window.failed()) PrintListing(window.text(kIdcReport));
  }
  int status = window.failed() ? kExitFailure : 0;
  if (status == 0 && options.verify) status = VerifyLastWrite(dialog);
  return StatusAfterInterrupts(dialog, status);
}

int Main(const std::vector<std::string>& arguments) {
  if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h" ||
      arguments[0] == "help") {
    std::cout << kUsage;
    return arguments.empty() ? kExitUsage : 0;
  }
  if (IsProductionCommand(arguments[0])) return RunProductionCommand(arguments);
  const ParseResult parsed = ParseCommandLine(arguments);
  if (!parsed.options) {
    std::cerr << "morvik-card: " << parsed.error << "\n" << kUsage;
    return kExitUsage;
  }
  const CliOptions& options = *parsed.options;
  TerminalWindow window(TerminalAnswers{options.confirm, options.wait});
  if (options.command == "image") return RunImage(options, window);
  return RunWithWriter(options, window);
}

}  // namespace
}  // namespace morvik

int main(int argc, char** argv) {
  return morvik::Main(morvik::ConsoleArguments(argc, argv));
}
