#include "app/line/line_app.h"

#include "app/dialog/win_app.h"
#include "app/line/line_window.h"
#include "files/file_access.h"
#include "link/system_serial.h"
#include "words/catalog.h"

namespace morvik {
namespace {

// The production window speaks Japanese, on the terminal too.
std::string Usage() { return Say({Said::kHelpUsageHead}, Language::kJapanese) + " " + std::string(kLineUsage); }

std::string Refusal(const LineOptionsRead& read) {
  return read.error ? Say(*read.error, Language::kJapanese) : std::string();
}

class CLineApp final : public CWinApp {
 public:
  explicit CLineApp(LineOptions options) : options_(std::move(options)) {}

 protected:
  bool Start() override {
    SystemClock clock;
    CLineDlg window(mainHost(), options_, SystemSeats, clock);
    SetMainWindow(&window);
    window.DoModal();
    return false;
  }

 private:
  // Each writer has its own clock and ports: each runs on a thread of its own.
  static WriterSeat SystemSeats() {
    WriterSeat seat;
    seat.clock = std::make_unique<SystemClock>();
    seat.platform = MakeSystemSerialPlatform();
    return seat;
  }

  LineOptions options_;
};

}  // namespace

std::optional<CommandLineAnswer> AnswerCommandLine(const std::vector<std::string>& arguments) {
  const LineOptionsRead read = ParseLineOptions(arguments);
  if (read.options) return std::nullopt;
  const std::string usage = Usage() + "\n";
  if (read.help) return CommandLineAnswer{usage, false, 0};
  return CommandLineAnswer{"morvik-card-line: " + Refusal(read) + "\n" + usage, true, 2};
}

int RunLineWindow(DialogHost& host, const std::vector<std::string>& arguments) {
  const LineOptionsRead read = ParseLineOptions(arguments);
  if (!read.options) {
    const std::string usage = Usage();
    host.services().MessageBox(read.help ? usage : Refusal(read) + "\n\n" + usage, "morvik-card-line",
                               read.help ? kMbOk : kMbError);
    return read.help ? 0 : 2;
  }
  // The window speaks Japanese, the system's reasons in it too.
  SpeakSystemReasonsIn(Language::kJapanese);
  CLineApp app(*read.options);
  return app.Run(host);
}

}  // namespace morvik
