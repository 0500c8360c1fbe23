// The frame format of the writer's serial protocol.
//
//   STX 0x02 | 0x00 | command or status | L | L payload bytes | ETX 0x03 | sum | CR 0x0D
//
// The sum is the low 8 bits of every byte from STX through ETX. A frame is L+7
// bytes, 7 to 262. A reply's status byte is 0x30 on success.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace morvik {

using Bytes = std::span<const std::uint8_t>;

inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::uint8_t kCr = 0x0D;
inline constexpr std::uint8_t kStatusSuccess = 0x30;
inline constexpr std::size_t kFrameOverhead = 7;
inline constexpr std::size_t kFrameHead = 4;  // STX, 0x00, command or status, L

// True when the bytes hold a well-formed frame: STX, 0x00, ETX and CR where the
// length byte puts them, and a matching sum. Bytes after the CR are ignored.
bool CheckFrame(Bytes bytes);
// A well-formed frame whose status byte is 0x30.
bool CheckReply(Bytes bytes);
// L+7 for a well-formed frame, otherwise 0.
std::size_t FrameLength(Bytes bytes);

// L+7 once the first four bytes have arrived and begin STX, 0x00; 0 before
// that or when they do not (such bytes announce no frame).
std::size_t AnnouncedFrameLength(Bytes head);

// What arrived in answer to a request.
enum class ReplyCondition {
  kAnswered,   // a whole frame whose status is success
  kRefused,    // a whole frame whose status refuses the request
  kSilence,    // nothing arrived
  kBadSum,     // ETX and CR where the length byte puts them, the sum wrong
  kBadLength,  // the frame ends (ETX, sum, CR) where its length byte does not put the end
  kCutShort,   // the bytes stop before the end the length byte announces
  kNoise,      // bytes that do not begin with STX, 0x00
};

// The condition of the bytes collected for one reply.
ReplyCondition ClassifyReply(Bytes received);
// Bytes arrived but no whole frame: damaged on the line rather than silence.
bool IsDamagedReply(ReplyCondition condition);

// Low 8 bits of the sum of the bytes.
std::uint8_t FrameSum(Bytes bytes);

// Builds a request: STX, 0x00, command, L, payload, ETX, sum, CR.
// The payload must be at most 255 bytes.
std::vector<std::uint8_t> BuildFrame(std::uint8_t command, Bytes payload);

// Requests held ready.
inline constexpr std::array<std::uint8_t, 9> kInformationRequest{0x02, 0x00, 0x4F, 0x02, 0xF0,
                                                                 0x00, 0x03, 0x46, 0x0D};
inline constexpr std::array<std::uint8_t, 11> kCustomerIdEcho{0x02, 0x00, 0x4F, 0x04, 0xF1, 0x00,
                                                              0xAA, 0x55, 0x03, 0x48, 0x0D};
inline constexpr std::array<std::uint8_t, 9> kF2Request{0x02, 0x00, 0x4F, 0x02, 0xF2,
                                                        0x00, 0x03, 0x48, 0x0D};
inline constexpr std::array<std::uint8_t, 8> k7FRequest{0x02, 0x00, 0x7F, 0x01,
                                                        0x01, 0x03, 0x86, 0x0D};
inline constexpr std::array<std::uint8_t, 9> kCardDetectionRequest{0x02, 0x00, 0x78, 0x02, 0x01,
                                                                   0x00, 0x03, 0x80, 0x0D};

// Reply patterns held ready for comparison.
inline constexpr std::array<std::uint8_t, 5> kInformationReplyHead{0x02, 0x00, 0x30, 0x08, 0xF0};
inline constexpr std::array<std::uint8_t, 7> kBareSuccessReply{0x02, 0x00, 0x30, 0x00,
                                                               0x03, 0x35, 0x0D};

// Command code of the card commands (detection, block read, block write).
inline constexpr std::uint8_t kCardCommand = 0x78;

}  // namespace morvik
