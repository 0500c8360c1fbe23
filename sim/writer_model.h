// The card writer as the tool sees it from its serial port: its identity, the
// card lying on it, its answers to every request, and faults that can be
// injected to make it misbehave on purpose.
//
// Bytes go in as the writer receives them, in any pieces; whole request frames
// are picked out of the stream (garbage before or between them is skipped) and
// each is answered at once with the reply bytes the writer would send back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <span>
#include <vector>

namespace morvik::sim {

using Idm = std::array<std::uint8_t, 8>;

inline constexpr std::size_t kBlockCount = 64;
inline constexpr std::size_t kBlockSize = 4;
inline constexpr std::size_t kCardBytes = kBlockCount * kBlockSize;
using CardImage = std::array<std::uint8_t, kCardBytes>;

// Status bytes of the writer's failure replies; 0x30 is success.
inline constexpr std::uint8_t kStatusNoCard = 0x31;
inline constexpr std::uint8_t kStatusWrongCard = 0x32;     // the IDm names another card
inline constexpr std::uint8_t kStatusBadRequest = 0x33;    // malformed payload, block out of range
inline constexpr std::uint8_t kStatusCardFailure = 0x34;   // the card did not take the command
inline constexpr std::uint8_t kStatusUnknownCommand = 0x3F;

// The two bytes the detection reply puts before the IDm.
inline constexpr std::array<std::uint8_t, 2> kDetectionLead{0x00, 0x01};

struct Identity {
  std::array<std::uint8_t, 2> ver{0x02, 0x11};
  std::array<std::uint8_t, 3> date{0x26, 0x12, 0x06};
  std::array<std::uint8_t, 2> cid{0x12, 0x34};
};

// The most reply bytes the tool collects per request.
inline constexpr std::size_t kCollectionLimit = 256;

inline constexpr Idm kDefaultIdm{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};

// The card on the writer. A removed card keeps its memory (it lies beside the
// writer) until another card is put on.
struct CardSlot {
  bool present = true;
  Idm idm = kDefaultIdm;
  CardImage memory{};
};

enum class RequestKind {
  kInformation,
  kCustomerIdEcho,
  kF2,
  k7F,
  kDetection,
  kBlockWrite,
  kBlockRead,
  kUnknown,
};

RequestKind ClassifyRequest(std::span<const std::uint8_t> frame);

// Aims a reply fault at requests counted 1, 2, 3... from the moment the faults
// were set (every request frame counts, whatever its kind). 0 aims at none.
inline constexpr int kEveryRequest = -1;

struct Faults {
  // Say nothing to the first K information requests.
  int silentInformationRequests = 0;
  // Replies to the aimed request get a wrong checksum.
  int badSumAt = 0;
  // The aimed request is answered with kStatusCardFailure and has no effect.
  int errorStatusAt = 0;
  // The reply to the aimed request carries this many payload bytes (its own
  // payload cut short or padded with zeros), status and framing intact.
  int resizedPayloadAt = 0;
  std::size_t resizedPayloadLength = 0;
  // These bytes follow the reply to the aimed request in the same burst.
  int trailingBytesAt = 0;
  std::vector<std::uint8_t> trailingBytes{};
  // The reply to the aimed request runs on past the tool's 256-byte collection
  // and ends in a second, complete success reply of its own (data bytes 0xEE):
  // a stale reply waiting for the next request.
  int oversizedReplyAt = 0;
  // After this many bytes of output the line is dead: the reply in progress is
  // cut off and nothing more is heard or said.
  std::optional<std::size_t> dropLineAfterBytes{};
  // The card is taken off the writer after this many successful block writes.
  int removeCardAfterWrites = 0;
  // The Nth block write fails with kStatusCardFailure (counted like requests,
  // but among block writes only).
  int failBlockWriteAt = 0;
  // An aimed reply fault, and failBlockWriteAt, hit this many requests in a
  // row from the one aimed at.
  int aimedRun = 1;
  // The next K block reads fail with kStatusCardFailure.
  int failReads = 0;
  // After this many successful detections, a blank card with swapIdm lies on
  // the writer instead of the one that was there.
  int swapCardAfterDetections = 0;
  Idm swapIdm{};
  // Writes to this block store their first byte with its lowest bit flipped,
  // yet are answered as good (-1: none).
  int wrongByteBlock = -1;
  // Line noise: about one reply in garbleOneIn (0: none) arrives with one bit
  // flipped, the reply, byte and bit drawn from a generator seeded with
  // garbleSeed, so a run with the same seed is garbled the same way.
  int garbleOneIn = 0;
  std::uint32_t garbleSeed = 1;
};

// An operator at the writer: the first card lies on it from the start; once
// block requests for a card have stopped for holdMs the card is taken off,
// and after gapMs the next one (a new IDm, blank) is put on; cards in all.
struct OperatorPlan {
  int cards = 0;
  std::int64_t holdMs = 500;
  std::int64_t gapMs = 1000;
  Idm firstIdm = kDefaultIdm;
};

// Card n (1, 2, ...) of an operator: the first IDm with n-1 added to its last two bytes.
Idm OperatorCardIdm(const Idm& first, int n);

class WriterModel {
 public:
  WriterModel() = default;
  explicit WriterModel(const Identity& identity) : identity_(identity) {}

  Identity& identity() { return identity_; }
  const Identity& identity() const { return identity_; }

  CardSlot& slot() { return slot_; }
  const CardSlot& slot() const { return slot_; }
  // A different card: new IDm, its own memory.
  void InsertCard(const Idm& idm, const CardImage& memory = {});
  void RemoveCard() { slot_.present = false; }

  // Replaces all faults and restarts the counts they are aimed by.
  void SetFaults(const Faults& faults);
  const Faults& faults() const { return faults_; }

  // Hands the writer to an operator from time nowMs on.
  void StartOperator(const OperatorPlan& plan, std::int64_t nowMs);
  // Moves the model's time on; the operator acts on it.
  void AdvanceTo(std::int64_t nowMs);
  bool operatorActive() const { return plan_.cards > 0; }
  // Cards the operator has put on so far (the current card's number).
  int cardsPlaced() const { return cardsPlaced_; }
  // The cards the operator has taken off, as they were then.
  const std::vector<CardSlot>& cardsTakenOff() const { return cardsTakenOff_; }

  // Takes bytes from the line; returns what the writer sends back.
  std::vector<std::uint8_t> Receive(std::span<const std::uint8_t> bytes);

  // Every request frame received, in order (also those left unanswered).
  const std::vector<std::vector<std::uint8_t>>& requests() const { return requests_; }
  int CountRequests(RequestKind kind) const;
  void ClearRequests() { requests_.clear(); }

  bool lineDropped() const { return lineDropped_; }
  // Successful block writes since the model was made.
  std::uint64_t blockWrites() const { return blockWrites_; }
  // Replies sent, and those garbled, since the faults were set.
  int repliesSent() const { return repliesSent_; }
  int garbledReplies() const { return garbledReplies_; }

 private:
  struct Reply {
    bool silent = false;
    std::uint8_t status = 0x30;
    std::vector<std::uint8_t> payload;
  };

  void Take(std::uint8_t byte, std::vector<std::uint8_t>& out);
  std::optional<std::size_t> CompleteFrameStart() const;
  void Answer(std::span<const std::uint8_t> frame, std::vector<std::uint8_t>& out);
  Reply Respond(std::span<const std::uint8_t> frame);
  Reply RespondInformation();
  Reply RespondDetection();
  Reply RespondBlockWrite(std::span<const std::uint8_t> payload);
  Reply RespondBlockRead(std::span<const std::uint8_t> payload);
  bool Aimed(int target) const;
  void Garble(std::vector<std::uint8_t>& bytes);
  std::vector<std::uint8_t> Encode(const Reply& reply) const;
  // Pads the reply to the tool's collection limit, then adds a made-up copy.
  void AppendStaleReply(Reply reply, std::vector<std::uint8_t>& bytes) const;
  void Send(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& out);

  Identity identity_;
  CardSlot slot_;
  Faults faults_;
  std::vector<std::uint8_t> pending_;
  std::vector<std::vector<std::uint8_t>> requests_;
  bool lineDropped_ = false;
  std::uint64_t blockWrites_ = 0;

  OperatorPlan plan_;
  std::int64_t nowMs_ = 0;
  int cardsPlaced_ = 0;
  std::vector<CardSlot> cardsTakenOff_;
  bool cardTouched_ = false;  // block requests have named the card on the writer
  bool askedForCardSinceBlocks_ = false;  // a detection request after the last block request
  std::int64_t lastBlockRequestMs_ = 0;
  std::int64_t removedAtMs_ = 0;

  // Counts since the faults were set.
  int requestIndex_ = 0;
  int informationRequests_ = 0;
  int blockWriteAttempts_ = 0;
  int goodBlockWrites_ = 0;
  int goodDetections_ = 0;
  int readsFailed_ = 0;
  std::size_t bytesSent_ = 0;
  int repliesSent_ = 0;
  int garbledReplies_ = 0;
  std::mt19937 noise_;
};

}  // namespace morvik::sim
