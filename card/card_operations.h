// The main window's card commands: detection, block commands, writing content
// and service cards, clearing and the dump. The main window class derives from
// this, so these are its own operations.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "card/block_commands.h"
#include "content/content_settings.h"
#include "link/writer_link.h"

namespace morvik {

// How reading a card back and comparing it with an image ended. block is the
// first differing block, or the first block of the read that failed.
struct VerifyResult {
  enum class Status { kMatch, kMismatch, kReadFailed, kStopped };
  Status status = Status::kMatch;
  int block = 0;
};

// The image and card of the last WriteCardImage, and how far it got.
struct LastWrite {
  ContentImage image{};
  CardIdm idm{};
  int written = 0;
};

// What a block write or read that got no good reply does next; chosen by the
// caller before the card commands run, as the link's reply end is. The window
// keeps kWindow.
enum class BlockResend {
  // A write is sent once and its failure ends the card; a read is sent up to
  // three times.
  kWindow,
  // Writing the same 4 bytes to a block twice leaves the card as writing them
  // once, and a read changes nothing: either request goes out again, at most
  // twice more. A damaged reply (bytes that are no whole frame: line noise) is
  // resent at once; after a refusal or silence the writer is asked for the
  // card first, and only the same card is worth another try. A dead line or
  // the operator's stop ends the block at once.
  kIdempotent,
};

// Told of every block request about to go out again (for a trace).
class ResendObserver {
 public:
  virtual ~ResendObserver() = default;
  // block: the block written, or the first block read; attempt: 2 or 3.
  virtual void OnResend(std::string_view port, int block, int attempt) = 0;
};

// Sees every frame and every resend, as a trace does.
class OperationsObserver : public ExchangeObserver, public ResendObserver {};

class CardOperations : public WriterLink {
 public:
  CardOperations(SerialPlatform& platform, WindowServices& window, Clock& clock);

  bool DetectCard(CardIdm& idm);
  void OnCheckUid();
  bool WriteBlock(std::span<const std::uint8_t, kBlockSize> data, std::uint8_t block,
                  const CardIdm& idm);
  bool ReadBlocks(std::span<std::uint8_t> reply, std::uint8_t firstBlock, std::uint8_t blockCount,
                  const CardIdm& idm);
  // Writes blocks 0-63 in order and stops at the first block that fails (once
  // the resend policy gives up on it), with nothing sent for the blocks after
  // it. The number of blocks written: 64 for the whole image.
  int WriteCardImage(std::span<const std::uint8_t, kContentImageSize> image, const CardIdm& idm);
  // Reads all 64 blocks back, four per request (each request tried as the dump
  // tries it), and compares them with the image.
  VerifyResult VerifyCardImage(std::span<const std::uint8_t, kContentImageSize> image,
                               const CardIdm& idm);
  // One detection request, no message: the IDm of the card on the writer, if any.
  std::optional<CardIdm> PollCard();
  // Asked before every block write and read: true stops the card at once
  // (an operator's second interrupt). Writes and reads then end early.
  void SetStopCheck(std::function<bool()> stopNow) { stopNow_ = std::move(stopNow); }
  bool StopRequested() const { return stopNow_ && stopNow_(); }
  const std::optional<LastWrite>& lastWrite() const { return lastWrite_; }
  void SetBlockResend(BlockResend resend) { blockResend_ = resend; }
  // Block requests sent again since these operations were made.
  int resends() const { return resends_; }
  void SetResendObserver(ResendObserver* observer) { resendObserver_ = observer; }

  void OnWriteCard();
  void OnClearCard();
  // Detects the card and writes the given 256 bytes to it, as the clear does.
  void WriteWholeImage(std::span<const std::uint8_t, kContentImageSize> image);
  // Detects the card and reads its 64 blocks; false (after a message, or the
  // operator's Cancel at the detection) when the card could not be read.
  bool ReadCard(ContentImage& card, CardIdm& idm);
  void OnCreateWriteCard();
  void OnCreateReadCard();
  void OnDumpCard();
  void OnModeChanged();

  // Content building on this window's records.
  bool CaptureContentSettings();
  bool BuildContentImage(ContentSettings& settings, std::span<std::uint8_t, kContentImageSize> image);

  ContentSettings& contentSettings() { return contentSettings_; }
  std::int32_t& serviceCid() { return serviceCid_; }
  std::uint8_t& readCardMark() { return readCardMark_; }
  std::array<std::uint8_t, 2>& startUid() { return startUid_; }
  // What a CID button takes from the typed number before it writes: the
  // service CID, and the customer ID (the start UID while the UID setting
  // card is ticked, unless readCard) and the read card mark (readCard).
  // False, after a message, when the number is refused.
  bool TakeTypedNumber(bool readCard);
  // The image the write button writes: the UID setting card while its check
  // box is ticked, else the content built from the window; nullopt when the
  // build refused (after its message or a Cancel).
  std::optional<ContentImage> ComposeCardImage();

 protected:
  // The window's data exchange from the controls, run first by the write and
  // clear commands. The main window overrides it.
  virtual void ExchangeEntriesFromControls() {}

 private:
  // The UID setting card when its check box is ticked, else the content card;
  // the number of blocks written (64 also when the build refused the content).
  int WriteContentOrUidCard(const CardIdm& idm);
  // A card left partly written is never silent: the operator is told which
  // block failed and to write again.
  void ReportPartialWrite(int written);
  // The number typed for a service card; nullopt (after a message) when refused.
  std::optional<std::int32_t> ReadTypedNumber();
  bool ReadDumpRequest(std::span<std::uint8_t> reply, std::uint8_t firstBlock, const CardIdm& idm);
  // Runs attempt() until it succeeds or the resend policy gives up on the
  // request for this block (windowAttempts tries under kWindow).
  template <class Attempt>
  bool WithResends(int block, const CardIdm& idm, int windowAttempts, Attempt attempt);
  bool WorthResending(const CardIdm& idm);
  // The 64 blocks of the detected card; false after "Retry Limit Exceed".
  bool ReadAllBlocks(ContentImage& card, const CardIdm& idm);
  // The one loop that reads a card back, four blocks a request: kMatch when
  // every block was read, else where the read failed or a stop came first.
  VerifyResult ReadBlocksInto(ContentImage& card, const CardIdm& idm, bool showProgress);

  ContentSettings contentSettings_;
  std::int32_t serviceCid_ = 0;
  std::uint8_t readCardMark_ = 0;
  std::array<std::uint8_t, 2> startUid_{};
  std::function<bool()> stopNow_;
  std::optional<LastWrite> lastWrite_;
  BlockResend blockResend_ = BlockResend::kWindow;
  int resends_ = 0;
  ResendObserver* resendObserver_ = nullptr;
};

}  // namespace morvik
