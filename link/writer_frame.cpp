#include "link/writer_frame.h"

#include <algorithm>
#include <numeric>

namespace morvik {

std::uint8_t FrameSum(Bytes bytes) {
  unsigned sum = std::accumulate(bytes.begin(), bytes.end(), 0u);
  return static_cast<std::uint8_t>(sum & 0xFF);
}

bool CheckFrame(Bytes bytes) {
  if (bytes.size() < 4 || bytes[0] != kStx || bytes[1] != 0x00) return false;
  const std::size_t length = bytes[3];
  if (bytes.size() < length + kFrameOverhead) return false;
  if (bytes[4 + length] != kEtx || bytes[6 + length] != kCr) return false;
  return bytes[5 + length] == FrameSum(bytes.first(5 + length));
}

bool CheckReply(Bytes bytes) { return CheckFrame(bytes) && bytes[2] == kStatusSuccess; }

std::size_t FrameLength(Bytes bytes) {
  return CheckFrame(bytes) ? bytes[3] + kFrameOverhead : 0;
}

namespace {

// The bytes end as a frame does: ETX, a sum, CR.
bool EndsLikeAFrame(Bytes bytes) {
  return bytes.size() >= kFrameOverhead && bytes.back() == kCr && bytes[bytes.size() - 3] == kEtx;
}

}  // namespace

ReplyCondition ClassifyReply(Bytes received) {
  if (received.empty()) return ReplyCondition::kSilence;
  if (CheckFrame(received)) return received[2] == kStatusSuccess ? ReplyCondition::kAnswered : ReplyCondition::kRefused;
  if (received[0] != kStx || (received.size() > 1 && received[1] != 0x00)) return ReplyCondition::kNoise;
  if (received.size() < kFrameHead) return ReplyCondition::kCutShort;
  const std::size_t announced = AnnouncedFrameLength(received);
  if (received.size() < announced) {
    return EndsLikeAFrame(received) ? ReplyCondition::kBadLength : ReplyCondition::kCutShort;
  }
  const bool endWhereAnnounced = received[announced - 3] == kEtx && received[announced - 1] == kCr;
  return endWhereAnnounced ? ReplyCondition::kBadSum : ReplyCondition::kBadLength;
}

bool IsDamagedReply(ReplyCondition condition) {
  return condition != ReplyCondition::kAnswered && condition != ReplyCondition::kRefused &&
         condition != ReplyCondition::kSilence;
}

std::size_t AnnouncedFrameLength(Bytes head) {
  if (head.size() < kFrameHead || head[0] != kStx || head[1] != 0x00) return 0;
  return head[3] + kFrameOverhead;
}

std::vector<std::uint8_t> BuildFrame(std::uint8_t command, Bytes payload) {
  const std::size_t length = payload.size();
  std::vector<std::uint8_t> frame(length + kFrameOverhead);
  frame[0] = kStx;
  frame[1] = 0x00;
  frame[2] = command;
  frame[3] = static_cast<std::uint8_t>(length);
  std::copy(payload.begin(), payload.end(), frame.begin() + 4);
  frame[4 + length] = kEtx;
  frame[5 + length] = FrameSum(std::span(frame).first(5 + length));
  frame[6 + length] = kCr;
  return frame;
}

}  // namespace morvik
