#include "sim/writer_model.h"

#include <algorithm>

#include "link/writer_frame.h"

namespace morvik::sim {
namespace {

constexpr std::size_t kLongestFrame = 255 + kFrameOverhead;
constexpr std::size_t kMaxPayload = 255;

// A read reply carries one leading byte and the blocks in one payload.
constexpr std::size_t kMaxReadBlocks = (kMaxPayload - 1) / kBlockSize;

constexpr std::uint8_t kInformationCommand = 0x4F;
constexpr std::uint8_t kResetCommand = 0x7F;

constexpr std::uint8_t kSelectDetection = 0x01;
constexpr std::uint8_t kSelectBlockWrite = 0xA1;
constexpr std::uint8_t kSelectBlockRead = 0x23;

// Offsets inside the block command payloads.
constexpr std::size_t kWriteBlockNumber = 1;
constexpr std::size_t kWriteDataCount = 2;
constexpr std::size_t kWriteData = 3;
constexpr std::size_t kWriteMark = 7;
constexpr std::size_t kWriteIdm = 8;
constexpr std::size_t kReadFirstBlock = 1;
constexpr std::size_t kReadBlockCount = 2;
constexpr std::size_t kReadMark = 3;
constexpr std::size_t kReadIdm = 4;

std::span<const std::uint8_t> PayloadOf(std::span<const std::uint8_t> frame) {
  return frame.subspan(4, frame[3]);
}

// Whether count (1, 2, ...) falls in the run of `run` counts from target.
bool InRun(int target, int count, int run) {
  return target > 0 && count >= target && count < target + std::max(run, 1);
}

bool IdmMatches(std::span<const std::uint8_t> payload, std::size_t offset, const Idm& idm) {
  return std::equal(idm.begin(), idm.end(), payload.begin() + static_cast<std::ptrdiff_t>(offset));
}

}  // namespace

RequestKind ClassifyRequest(std::span<const std::uint8_t> frame) {
  if (!CheckFrame(frame)) return RequestKind::kUnknown;
  const std::uint8_t command = frame[2];
  const std::span<const std::uint8_t> p = PayloadOf(frame);
  const std::size_t length = p.size();
  if (command == kInformationCommand && length >= 2 && p[1] == 0x00) {
    if (p[0] == 0xF0 && length == 2) return RequestKind::kInformation;
    if (p[0] == 0xF1 && length == 4) return RequestKind::kCustomerIdEcho;
    if (p[0] == 0xF2 && length == 2) return RequestKind::kF2;
  }
  if (command == kResetCommand && length == 1 && p[0] == 0x01) return RequestKind::k7F;
  if (command == kCardCommand && length > 0) {
    if (p[0] == kSelectDetection && length == 2 && p[1] == 0x00) return RequestKind::kDetection;
    if (p[0] == kSelectBlockWrite && length == 16) return RequestKind::kBlockWrite;
    if (p[0] == kSelectBlockRead && length == 12) return RequestKind::kBlockRead;
  }
  return RequestKind::kUnknown;
}

Idm OperatorCardIdm(const Idm& first, int n) {
  Idm idm = first;
  const unsigned low = ((unsigned{idm[6]} << 8) | idm[7]) + static_cast<unsigned>(n - 1);
  idm[6] = static_cast<std::uint8_t>(low >> 8);
  idm[7] = static_cast<std::uint8_t>(low);
  return idm;
}

void WriterModel::StartOperator(const OperatorPlan& plan, std::int64_t nowMs) {
  plan_ = plan;
  nowMs_ = nowMs;
  cardsPlaced_ = 0;
  cardTouched_ = false;
  askedForCardSinceBlocks_ = false;
  if (plan_.cards <= 0) return;
  InsertCard(OperatorCardIdm(plan_.firstIdm, ++cardsPlaced_));
}

void WriterModel::AdvanceTo(std::int64_t nowMs) {
  nowMs_ = std::max(nowMs_, nowMs);
  if (!operatorActive()) return;
  // Done with the card is what the tool shows by asking for the card again,
  // and no more block requests for a while: a PC that stops for a moment
  // in the middle of a card asks for nothing and keeps its card.
  const bool done = cardTouched_ && askedForCardSinceBlocks_;
  if (slot_.present && done && nowMs_ - lastBlockRequestMs_ >= plan_.holdMs) {
    cardsTakenOff_.push_back(slot_);
    RemoveCard();
    cardTouched_ = false;
    askedForCardSinceBlocks_ = false;
    removedAtMs_ = nowMs_;
  }
  if (!slot_.present && cardsPlaced_ < plan_.cards && nowMs_ - removedAtMs_ >= plan_.gapMs) {
    InsertCard(OperatorCardIdm(plan_.firstIdm, ++cardsPlaced_));
  }
}

void WriterModel::InsertCard(const Idm& idm, const CardImage& memory) {
  slot_ = CardSlot{true, idm, memory};
}

void WriterModel::SetFaults(const Faults& faults) {
  faults_ = faults;
  faults_.resizedPayloadLength = std::min(faults_.resizedPayloadLength, kMaxPayload);
  lineDropped_ = false;
  requestIndex_ = 0;
  informationRequests_ = 0;
  blockWriteAttempts_ = 0;
  goodBlockWrites_ = 0;
  goodDetections_ = 0;
  readsFailed_ = 0;
  bytesSent_ = 0;
  repliesSent_ = 0;
  garbledReplies_ = 0;
  noise_.seed(faults_.garbleSeed);
}

int WriterModel::CountRequests(RequestKind kind) const {
  return static_cast<int>(std::count_if(requests_.begin(), requests_.end(), [kind](const auto& r) {
    return ClassifyRequest(r) == kind;
  }));
}

std::vector<std::uint8_t> WriterModel::Receive(std::span<const std::uint8_t> bytes) {
  std::vector<std::uint8_t> out;
  for (std::uint8_t byte : bytes) {
    if (lineDropped_) break;
    Take(byte, out);
  }
  return out;
}

void WriterModel::Take(std::uint8_t byte, std::vector<std::uint8_t>& out) {
  pending_.push_back(byte);
  if (byte == kCr) {
    if (const std::optional<std::size_t> start = CompleteFrameStart()) {
      const std::vector<std::uint8_t> frame(pending_.begin() + static_cast<std::ptrdiff_t>(*start),
                                            pending_.end());
      pending_.clear();
      Answer(frame, out);
      return;
    }
  }
  // No frame is longer than this, so older bytes can start none.
  if (pending_.size() > kLongestFrame) pending_.erase(pending_.begin());
}

// Where a valid frame ending with the byte just received begins. Checking every
// STX in the window (not just the first) lets a stray STX in line noise pass
// without swallowing the frame that follows it.
std::optional<std::size_t> WriterModel::CompleteFrameStart() const {
  const std::span<const std::uint8_t> window = pending_;
  for (std::size_t start = 0; start + kFrameOverhead <= window.size(); ++start) {
    const std::span<const std::uint8_t> candidate = window.subspan(start);
    if (candidate[0] == kStx && candidate[3] + kFrameOverhead == candidate.size() &&
        CheckFrame(candidate)) {
      return start;
    }
  }
  return std::nullopt;
}

bool WriterModel::Aimed(int target) const {
  return target == kEveryRequest || InRun(target, requestIndex_, faults_.aimedRun);
}

void WriterModel::Garble(std::vector<std::uint8_t>& bytes) {
  ++repliesSent_;
  if (faults_.garbleOneIn <= 0 || bytes.empty()) return;
  if (noise_() % static_cast<unsigned>(faults_.garbleOneIn) != 0) return;
  const std::size_t at = noise_() % bytes.size();
  bytes[at] = static_cast<std::uint8_t>(bytes[at] ^ (1u << (noise_() % 8)));
  ++garbledReplies_;
}

void WriterModel::Answer(std::span<const std::uint8_t> frame, std::vector<std::uint8_t>& out) {
  ++requestIndex_;
  requests_.emplace_back(frame.begin(), frame.end());
  const RequestKind kind = ClassifyRequest(frame);
  if (slot_.present && (kind == RequestKind::kBlockWrite || kind == RequestKind::kBlockRead)) {
    cardTouched_ = true;
    askedForCardSinceBlocks_ = false;
    lastBlockRequestMs_ = nowMs_;
  }
  if (kind == RequestKind::kDetection && cardTouched_) askedForCardSinceBlocks_ = true;
  if (kind == RequestKind::kInformation &&
      ++informationRequests_ <= faults_.silentInformationRequests) {
    return;
  }
  Reply reply = Aimed(faults_.errorStatusAt) ? Reply{false, kStatusCardFailure, {}} : Respond(frame);
  if (reply.silent) return;
  if (Aimed(faults_.resizedPayloadAt)) reply.payload.resize(faults_.resizedPayloadLength);
  std::vector<std::uint8_t> bytes = Encode(reply);
  if (Aimed(faults_.badSumAt)) ++bytes[bytes.size() - 2];
  if (Aimed(faults_.trailingBytesAt)) {
    bytes.insert(bytes.end(), faults_.trailingBytes.begin(), faults_.trailingBytes.end());
  }
  if (Aimed(faults_.oversizedReplyAt)) AppendStaleReply(reply, bytes);
  Garble(bytes);
  Send(bytes, out);
}

void WriterModel::AppendStaleReply(Reply reply, std::vector<std::uint8_t>& bytes) const {
  reply.status = 0x30;
  if (reply.payload.size() > 1) std::fill(reply.payload.begin() + 1, reply.payload.end(), 0xEE);
  bytes.resize(std::max(bytes.size(), kCollectionLimit), 0x00);
  const std::vector<std::uint8_t> stale = Encode(reply);
  bytes.insert(bytes.end(), stale.begin(), stale.end());
}

WriterModel::Reply WriterModel::Respond(std::span<const std::uint8_t> frame) {
  switch (ClassifyRequest(frame)) {
    case RequestKind::kInformation:
      return RespondInformation();
    case RequestKind::kCustomerIdEcho:
    case RequestKind::kF2:
    case RequestKind::k7F:
      return {};
    case RequestKind::kDetection:
      return RespondDetection();
    case RequestKind::kBlockWrite:
      return RespondBlockWrite(PayloadOf(frame));
    case RequestKind::kBlockRead:
      return RespondBlockRead(PayloadOf(frame));
    case RequestKind::kUnknown:
      break;
  }
  return {false, kStatusUnknownCommand, {}};
}

WriterModel::Reply WriterModel::RespondInformation() {
  Reply reply;
  reply.payload.push_back(0xF0);
  for (auto part : {std::span<const std::uint8_t>(identity_.ver),
                    std::span<const std::uint8_t>(identity_.date),
                    std::span<const std::uint8_t>(identity_.cid)}) {
    reply.payload.insert(reply.payload.end(), part.begin(), part.end());
  }
  return reply;
}

WriterModel::Reply WriterModel::RespondDetection() {
  if (!slot_.present) return {false, kStatusNoCard, {}};
  Reply reply;
  reply.payload.assign(kDetectionLead.begin(), kDetectionLead.end());
  reply.payload.insert(reply.payload.end(), slot_.idm.begin(), slot_.idm.end());
  if (++goodDetections_ == faults_.swapCardAfterDetections) InsertCard(faults_.swapIdm);
  return reply;
}

WriterModel::Reply WriterModel::RespondBlockWrite(std::span<const std::uint8_t> p) {
  ++blockWriteAttempts_;
  if (InRun(faults_.failBlockWriteAt, blockWriteAttempts_, faults_.aimedRun)) {
    return {false, kStatusCardFailure, {}};
  }
  if (!slot_.present) return {false, kStatusNoCard, {}};
  if (p[kWriteDataCount] != kBlockSize || p[kWriteMark] != 0x01) {
    return {false, kStatusBadRequest, {}};
  }
  if (!IdmMatches(p, kWriteIdm, slot_.idm)) return {false, kStatusWrongCard, {}};
  const std::size_t block = p[kWriteBlockNumber];
  if (block >= kBlockCount) return {false, kStatusBadRequest, {}};

  std::copy_n(p.begin() + kWriteData, kBlockSize, slot_.memory.begin() + block * kBlockSize);
  if (static_cast<int>(block) == faults_.wrongByteBlock) slot_.memory[block * kBlockSize] ^= 0x01;
  ++blockWrites_;
  if (++goodBlockWrites_ == faults_.removeCardAfterWrites) RemoveCard();
  return {};
}

WriterModel::Reply WriterModel::RespondBlockRead(std::span<const std::uint8_t> p) {
  if (readsFailed_ < faults_.failReads) {
    ++readsFailed_;
    return {false, kStatusCardFailure, {}};
  }
  if (!slot_.present) return {false, kStatusNoCard, {}};
  if (p[kReadMark] != 0x01) return {false, kStatusBadRequest, {}};
  if (!IdmMatches(p, kReadIdm, slot_.idm)) return {false, kStatusWrongCard, {}};
  const std::size_t first = p[kReadFirstBlock];
  const std::size_t count = p[kReadBlockCount];
  if (count == 0 || count > kMaxReadBlocks || first + count > kBlockCount) return {false, kStatusBadRequest, {}};

  Reply reply;
  reply.payload.push_back(0x00);
  const auto data = std::span<const std::uint8_t>(slot_.memory).subspan(first * kBlockSize,
                                                                        count * kBlockSize);
  reply.payload.insert(reply.payload.end(), data.begin(), data.end());
  return reply;
}

std::vector<std::uint8_t> WriterModel::Encode(const Reply& reply) const {
  return BuildFrame(reply.status, reply.payload);
}

void WriterModel::Send(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& out) {
  std::size_t room = bytes.size();
  if (faults_.dropLineAfterBytes) room = std::min(room, *faults_.dropLineAfterBytes - bytesSent_);
  out.insert(out.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(room));
  bytesSent_ += room;
  if (faults_.dropLineAfterBytes && bytesSent_ >= *faults_.dropLineAfterBytes) lineDropped_ = true;
}

}  // namespace morvik::sim
