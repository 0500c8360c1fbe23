// The card commands with arbitrary replies to the detection, to every block
// write and to every block read. Whatever the writer says, a write goes out
// block by block from 0, stops at the first block that fails with nothing sent
// after it, and tells the operator which block failed; a dump either lists 256
// bytes or says "Retry Limit Exceed".
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>

#include "card/card_operations.h"
#include "content/content_image.h"
#include "content/terminal_settings.h"
#include "fuzz/fuzz_support.h"
#include "window/control_ids.h"
#include "window/headless_window.h"

namespace {

using morvik::fuzz::ByteVector;

constexpr int kMaxDetectionRetries = 4;
constexpr std::string_view kNoCardStart = "ICカードを正しく読み取れません";
constexpr std::string_view kEarlierReport = "earlier text";

enum class Command { kWrite, kClear, kDump, kCreateWriteCard, kUidCard, kCheckUid, kCount };

bool IsKind(const ByteVector& frame, std::uint8_t select) {
  return frame.size() > 4 && frame[2] == morvik::kCardCommand && frame[4] == select;
}

std::vector<ByteVector> Only(const std::vector<ByteVector>& requests, std::uint8_t select) {
  std::vector<ByteVector> found;
  std::copy_if(requests.begin(), requests.end(), std::back_inserter(found),
               [select](const ByteVector& r) { return IsKind(r, select); });
  return found;
}

int CountMessages(const morvik::HeadlessWindow& window, std::string_view part) {
  return static_cast<int>(
      std::count_if(window.messages().begin(), window.messages().end(),
                    [part](const auto& m) { return m.text.find(part) != std::string::npos; }));
}

// The content card for "abc" with these values, built apart from the command.
morvik::ContentImage ContentCard(morvik::CardOperations& ops) {
  morvik::HeadlessWindow quiet;
  morvik::FillSettingsLists(quiet);
  quiet.SetControlText(morvik::kIdcUrl, "abc");
  morvik::ContentSettings settings;
  morvik::ResetContentSettings(settings);
  morvik::CaptureContentSettings(quiet, settings, ops.serviceCid());
  morvik::ContentImage image{};
  const morvik::ContentValues values{ops.customerId(), ops.serviceCid(), ops.readCardMark()};
  FUZZ_CHECK(morvik::BuildContentImage(quiet, settings, values, image));
  return image;
}

// The image a good write leaves on the card. Content cards are built once per
// set of values: the build converts every entry, which costs more than the
// rest of a run.
morvik::ContentImage ExpectedImage(Command command, morvik::CardOperations& ops) {
  if (command == Command::kClear) return {};
  if (command == Command::kUidCard) return morvik::UidSettingCard(ops.startUid());
  static std::map<std::tuple<int, int, std::int32_t, int>, morvik::ContentImage> built;
  const auto key = std::make_tuple(ops.customerId()[0], ops.customerId()[1], ops.serviceCid(),
                                   ops.readCardMark());
  const auto found = built.find(key);
  if (found != built.end()) return found->second;
  return built[key] = ContentCard(ops);
}

// Blocks 0, 1, 2... in order, one IDm, the image's data. A failed block is
// reported by its number and is the last request sent (or never reached the
// line when the line was dead).
void CheckWrites(Command command, morvik::CardOperations& ops, morvik::HeadlessWindow& window,
                 const morvik::test::PortScript& log) {
  const std::vector<ByteVector> writes = Only(log.requests, morvik::kSelectBlockWrite);
  FUZZ_CHECK(writes.size() <= 64);
  const morvik::ContentImage image =
      writes.empty() ? morvik::ContentImage{} : ExpectedImage(command, ops);
  for (std::size_t block = 0; block < writes.size(); ++block) {
    const ByteVector& frame = writes[block];
    FUZZ_CHECK(frame.size() == morvik::kWriteBlockRequestSize && frame[5] == block);
    FUZZ_CHECK(std::equal(frame.begin() + 7, frame.begin() + 11, image.begin() + 4 * block));
    FUZZ_CHECK(std::equal(frame.begin() + 12, frame.begin() + 20, writes[0].begin() + 12));
  }
  if (!writes.empty()) FUZZ_CHECK(log.requests.back() == writes.back());
  const int reported = CountMessages(window, "ブロック");
  FUZZ_CHECK(reported <= 1);
  if (reported == 0) {
    FUZZ_CHECK(writes.empty() || writes.size() == 64);
    return;
  }
  const auto named = [&](std::size_t block) {
    return CountMessages(window, "ブロック" + std::to_string(block) + "で") == 1;
  };
  const bool lastSentFailed = !writes.empty() && named(writes.size() - 1);
  const bool nextNeverSent = log.failedWrites > 0 && writes.size() < 64 && named(writes.size());
  FUZZ_CHECK(lastSentFailed || nextNeverSent);
}

// Up to three attempts per four blocks, in order; giving up ends the reading.
void CheckDump(morvik::HeadlessWindow& window, const morvik::test::PortScript& log) {
  const std::vector<ByteVector> reads = Only(log.requests, morvik::kSelectBlockRead);
  FUZZ_CHECK(Only(log.requests, morvik::kSelectBlockWrite).empty());
  int first = 0;
  int attempts = 0;
  for (const ByteVector& frame : reads) {
    if (frame[5] != first) {
      FUZZ_CHECK(frame[5] == first + 4 && attempts >= 1);
      first += 4;
      attempts = 0;
    }
    FUZZ_CHECK(++attempts <= 3 && frame[6] == 4);
  }
  const std::string& report = window.text(morvik::kIdcReport);
  if (CountMessages(window, "Retry Limit Exceed") == 1) {
    // Attempts on a dead line never reach it.
    FUZZ_CHECK(attempts == 3 || log.failedWrites > 0);
    FUZZ_CHECK(report == kEarlierReport);
    if (!reads.empty()) FUZZ_CHECK(log.requests.back() == reads.back());
  } else if (report != kEarlierReport) {
    FUZZ_CHECK(first == 60 && report.size() == 832);
  } else {
    FUZZ_CHECK(reads.empty());  // the detection was cancelled
  }
}

void Run(Command command, morvik::CardOperations& ops, morvik::HeadlessWindow& window) {
  switch (command) {
    case Command::kWrite:
      return ops.OnWriteCard();
    case Command::kClear:
      return ops.OnClearCard();
    case Command::kDump:
      return ops.OnDumpCard();
    case Command::kCreateWriteCard:
      window.SetControlText(morvik::kIdcServiceCid, "1A2B");
      return ops.OnCreateWriteCard();
    case Command::kUidCard:
      window.SetCheck(morvik::kIdcUidCardCheck, 1);
      return ops.OnWriteCard();
    default:
      return ops.OnCheckUid();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  morvik::fuzz::FuzzInput input(data, size);
  const auto command = static_cast<Command>(input.Byte() % static_cast<int>(Command::kCount));
  const int detectionRetries = input.Byte() % (kMaxDetectionRetries + 1);
  morvik::test::FakeClock clock;
  morvik::test::ScriptedPlatform platform(clock);
  const morvik::test::PortScript& log = morvik::fuzz::AnswerFromInput(platform, input);
  morvik::HeadlessWindow window;
  int asked = 0;
  window.SetAnswerer([&](const morvik::ShownMessage& shown) {
    if (shown.type != morvik::kMbRetryCancelError) return morvik::kIdOk;
    return asked++ < detectionRetries ? morvik::kIdRetry : morvik::kIdCancel;
  });
  morvik::CardOperations ops(platform, window, clock);
  morvik::FillSettingsLists(window);
  window.SetControlText(morvik::kIdcUrl, "abc");
  window.SetControlText(morvik::kIdcReport, kEarlierReport);
  FUZZ_CHECK(ops.OpenPort("COM1"));

  Run(command, ops, window);

  FUZZ_CHECK(window.waitCursorDepth() == 0);
  FUZZ_CHECK(CountMessages(window, kNoCardStart) == asked);
  if (command == Command::kDump) {
    CheckDump(window, log);
  } else {
    CheckWrites(command, ops, window, log);
  }
  return 0;
}
