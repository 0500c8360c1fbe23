#include "card/card_operations.h"

#include <algorithm>

#include "content/content_image.h"
#include "content/terminal_settings.h"
#include "window/control_ids.h"

namespace morvik {
namespace {

constexpr char kErrorCaption[] = "Error";
constexpr char kNoCardText[] =
    "ICカードを正しく読み取れません。ICカードの位置を確認してください。"
    "もしくは対応していないICカードである可能性があります。";
constexpr char kRetryLimitText[] = "Retry Limit Exceed";
constexpr char kBadNumberText[] =
    "入力された番号を16進数として読み取れません。FFFF以下の16進数を入力してください。";

constexpr int kDetectionPayloadLength = 10;
constexpr std::size_t kIdmOffsetInDetectionReply = 6;
constexpr std::size_t kCardCommandReplySize = 256;
constexpr std::uint8_t kDumpBlocksPerRequest = 4;
constexpr int kDumpAttempts = 3;
constexpr int kWindowWriteAttempts = 1;
constexpr int kIdempotentAttempts = 3;
constexpr std::size_t kDumpDataOffset = 5;
constexpr std::size_t kDumpBytesPerRequest = kDumpBlocksPerRequest * kBlockSize;

std::string PartialWriteText(int failedBlock) {
  const char* const state = failedBlock == 0 ? "ICカードには何も書き込まれていません。"
                                             : "ICカードは途中までしか書き込まれていません。";
  return "ICカードへの書き込みがブロック" + std::to_string(failedBlock) + "で失敗しました。" +
         state + "ICカードを置き直して、もう一度書き込んでください。";
}

OperatorMessage Error(std::string text, MessageKind kind, std::vector<int> controls = {}) {
  return OperatorMessage(std::move(text), kErrorCaption, kMbError, {kind, std::move(controls)});
}

std::array<std::uint8_t, 2> HighAndLowByte(std::int32_t number) {
  const auto bits = static_cast<std::uint32_t>(number);
  return {static_cast<std::uint8_t>((bits >> 8) & 0xFF), static_cast<std::uint8_t>(bits & 0xFF)};
}

}  // namespace

CardOperations::CardOperations(SerialPlatform& platform, WindowServices& window, Clock& clock)
    : WriterLink(platform, window, clock) {}

bool CardOperations::DetectCard(CardIdm& idm) {
  for (;;) {
    if (const std::optional<CardIdm> found = PollCard()) {
      idm = *found;
      return true;
    }
    const OperatorMessage noCard(kNoCardText, kErrorCaption, kMbRetryCancelError,
                                 {MessageKind::kNoCard, {}});
    if (window().ShowMessage(noCard) == kIdCancel) {
      return false;
    }
  }
}

void CardOperations::OnCheckUid() {
  CardIdm idm{};
  window().SetControlText(kIdcUidDisplay, DetectCard(idm) ? IdmText(idm) : std::string());
}

bool CardOperations::WriteBlock(std::span<const std::uint8_t, kBlockSize> data, std::uint8_t block,
                                const CardIdm& idm) {
  std::array<std::uint8_t, kCardCommandReplySize> reply{};
  return Exchange(WriteBlockRequest(data, block, idm), reply) >= 0;
}

bool CardOperations::ReadBlocks(std::span<std::uint8_t> reply, std::uint8_t firstBlock,
                                std::uint8_t blockCount, const CardIdm& idm) {
  return Exchange(ReadBlocksRequest(firstBlock, blockCount, idm), reply) >= 0;
}

template <class Attempt>
bool CardOperations::WithResends(int block, const CardIdm& idm, int windowAttempts, Attempt attempt) {
  const bool window = blockResend_ == BlockResend::kWindow;
  const int attempts = window ? windowAttempts : kIdempotentAttempts;
  for (int tried = 1; !attempt(); ++tried) {
    if (tried >= attempts || (!window && !WorthResending(idm))) return false;
    ++resends_;
    if (resendObserver_ != nullptr) resendObserver_->OnResend(connectedPort(), block, tried + 1);
  }
  return true;
}

// Noise leaves the card where it was; a refusal or silence may mean it was
// taken away, and a request to a card that is gone only fails again.
bool CardOperations::WorthResending(const CardIdm& idm) {
  if (lastSendFailed() || StopRequested()) return false;
  return lastReplyDamaged() || PollCard() == idm;
}

int CardOperations::WriteCardImage(std::span<const std::uint8_t, kContentImageSize> image,
                                   const CardIdm& idm) {
  lastWrite_.emplace();
  std::copy(image.begin(), image.end(), lastWrite_->image.begin());
  lastWrite_->idm = idm;
  for (int& block = lastWrite_->written; block < kCardBlocks; ++block) {
    const auto data = image.subspan(static_cast<std::size_t>(block) * kBlockSize).first<kBlockSize>();
    const auto write = [&] { return WriteBlock(data, static_cast<std::uint8_t>(block), idm); };
    if (StopRequested() || !WithResends(block, idm, kWindowWriteAttempts, write)) break;
    window().ReportProgress(block + 1, kCardBlocks);
  }
  return lastWrite_->written;
}

VerifyResult CardOperations::VerifyCardImage(std::span<const std::uint8_t, kContentImageSize> image,
                                             const CardIdm& idm) {
  ContentImage card{};
  const VerifyResult read = ReadBlocksInto(card, idm, false);
  if (read.status != VerifyResult::Status::kMatch) return read;
  const std::optional<int> differing = FirstDifferingBlock(image, card);
  if (differing) return {VerifyResult::Status::kMismatch, *differing};
  return {};
}

std::optional<CardIdm> CardOperations::PollCard() {
  const std::span<std::uint8_t> reply = sharedReplyBuffer();
  if (Exchange(kCardDetectionRequest, reply) != kDetectionPayloadLength) return std::nullopt;
  CardIdm idm{};
  std::copy_n(reply.begin() + kIdmOffsetInDetectionReply, idm.size(), idm.begin());
  return idm;
}

void CardOperations::ReportPartialWrite(int written) {
  if (written < kCardBlocks) {
    window().ShowMessage(Error(PartialWriteText(written), MessageKind::kWriteStopped));
  }
}

std::optional<ContentImage> CardOperations::ComposeCardImage() {
  if (window().GetCheck(kIdcUidCardCheck) != 0) return UidSettingCard(startUid_);
  ContentImage image{};
  if (!CaptureContentSettings() || !BuildContentImage(contentSettings_, image)) return std::nullopt;
  return image;
}

int CardOperations::WriteContentOrUidCard(const CardIdm& idm) {
  const std::optional<ContentImage> image = ComposeCardImage();
  return image ? WriteCardImage(*image, idm) : kCardBlocks;
}

void CardOperations::OnWriteCard() {
  ExchangeEntriesFromControls();
  CardIdm idm{};
  if (!DetectCard(idm)) return;
  window().BeginWaitCursor();
  const int written = WriteContentOrUidCard(idm);
  window().EndWaitCursor();
  ReportPartialWrite(written);
}

void CardOperations::OnClearCard() {
  ExchangeEntriesFromControls();
  WriteWholeImage(ContentImage{});
}

void CardOperations::WriteWholeImage(std::span<const std::uint8_t, kContentImageSize> image) {
  CardIdm idm{};
  if (!DetectCard(idm)) return;
  window().BeginWaitCursor();
  const int written = WriteCardImage(image, idm);
  window().EndWaitCursor();
  ReportPartialWrite(written);
}

std::optional<std::int32_t> CardOperations::ReadTypedNumber() {
  // A character the code page lacks reads as "?", which ends the number as
  // any other non-hexadecimal character does.
  const EntryText entry = window().GetEntryText(kIdcServiceCid, kEntryBufferSize);
  const std::optional<std::int32_t> number = ParseCardNumber(entry.bytes);
  if (!number) window().ShowMessage(Error(kBadNumberText, MessageKind::kEntry, {kIdcServiceCid}));
  return number;
}

bool CardOperations::TakeTypedNumber(bool readCard) {
  const std::optional<std::int32_t> number = ReadTypedNumber();
  if (!number) return false;
  serviceCid_ = *number;
  if (!readCard && window().GetCheck(kIdcUidCardCheck) != 0) {
    startUid_ = HighAndLowByte(*number);
  } else {
    customerId() = HighAndLowByte(*number);
  }
  if (readCard) readCardMark_ = 1;
  return true;
}

void CardOperations::OnCreateWriteCard() {
  if (TakeTypedNumber(false)) OnWriteCard();
}

void CardOperations::OnCreateReadCard() {
  if (TakeTypedNumber(true)) OnWriteCard();
}

bool CardOperations::ReadDumpRequest(std::span<std::uint8_t> reply, std::uint8_t firstBlock,
                                     const CardIdm& idm) {
  // A reply too short to carry the leading byte and all four blocks counts
  // as a failed attempt: its data would come from beyond the reply's end.
  constexpr std::size_t kNeededPayload = 1 + kDumpBytesPerRequest;
  return WithResends(firstBlock, idm, kDumpAttempts, [&] {
    return ReadBlocks(reply, firstBlock, kDumpBlocksPerRequest, idm) && reply[3] >= kNeededPayload;
  });
}

VerifyResult CardOperations::ReadBlocksInto(ContentImage& card, const CardIdm& idm, bool showProgress) {
  std::array<std::uint8_t, kCardCommandReplySize> reply{};
  for (int first = 0; first < kCardBlocks; first += kDumpBlocksPerRequest) {
    if (StopRequested()) return {VerifyResult::Status::kStopped, first};
    if (!ReadDumpRequest(reply, static_cast<std::uint8_t>(first), idm)) {
      return {VerifyResult::Status::kReadFailed, first};
    }
    std::copy_n(reply.begin() + kDumpDataOffset, kDumpBytesPerRequest,
                card.begin() + static_cast<std::ptrdiff_t>(first) * kBlockSize);
    if (showProgress) window().ReportProgress(first + kDumpBlocksPerRequest, kCardBlocks);
  }
  return {};
}

bool CardOperations::ReadAllBlocks(ContentImage& card, const CardIdm& idm) {
  const VerifyResult read = ReadBlocksInto(card, idm, true);
  if (read.status == VerifyResult::Status::kReadFailed) {
    window().ShowMessage(Error(kRetryLimitText, MessageKind::kReadFailed));
  }
  return read.status == VerifyResult::Status::kMatch;
}

bool CardOperations::ReadCard(ContentImage& card, CardIdm& idm) {
  if (!DetectCard(idm)) return false;
  window().BeginWaitCursor();
  const bool read = ReadAllBlocks(card, idm);
  window().EndWaitCursor();
  return read;
}

// The listing is in the report field before the wait cursor ends.
void CardOperations::OnDumpCard() {
  ContentImage dump{};
  CardIdm idm{};
  if (!DetectCard(idm)) return;
  window().BeginWaitCursor();
  if (ReadAllBlocks(dump, idm)) window().SetControlText(kIdcReport, CardListing(dump));
  window().EndWaitCursor();
}

void CardOperations::OnModeChanged() { ::morvik::OnModeChanged(window()); }

bool CardOperations::CaptureContentSettings() {
  return ::morvik::CaptureContentSettings(window(), contentSettings_, serviceCid_);
}

bool CardOperations::BuildContentImage(ContentSettings& settings,
                                       std::span<std::uint8_t, kContentImageSize> image) {
  const ContentValues values{customerId(), serviceCid_, readCardMark_};
  return ::morvik::BuildContentImage(window(), settings, values, image);
}

}  // namespace morvik
