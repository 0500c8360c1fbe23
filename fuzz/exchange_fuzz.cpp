// Exchange on a line whose replies are the fuzzer's bytes: too long, cut by
// silences, followed by leftovers for the next exchange, or a line that dies.
// Whatever arrives, the result and the reply buffer must tell the truth about
// the bytes the tool read.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "card/block_commands.h"
#include "fuzz/fuzz_support.h"
#include "link/writer_link.h"
#include "window/headless_window.h"

namespace {

using morvik::fuzz::ByteVector;
using morvik::fuzz::FuzzInput;

constexpr std::uint8_t kUntouched = 0xA5;
constexpr morvik::CardIdm kIdm{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};

ByteVector PickRequest(std::uint8_t choice) {
  const std::array<std::uint8_t, 4> data{0x11, 0x22, 0x33, 0x44};
  switch (choice % 7) {
    case 0:
      return ByteVector(morvik::kInformationRequest.begin(), morvik::kInformationRequest.end());
    case 1:
      return ByteVector(morvik::kF2Request.begin(), morvik::kF2Request.end());
    case 2:
      return ByteVector(morvik::k7FRequest.begin(), morvik::k7FRequest.end());
    case 3:
      return ByteVector(morvik::kCardDetectionRequest.begin(), morvik::kCardDetectionRequest.end());
    case 4: {
      const auto frame = morvik::WriteBlockRequest(data, choice % 64, kIdm);
      return ByteVector(frame.begin(), frame.end());
    }
    case 5: {
      const auto frame = morvik::ReadBlocksRequest(choice % 64, 4, kIdm);
      return ByteVector(frame.begin(), frame.end());
    }
    default: {
      // Not a frame: its sum is off by one.
      ByteVector frame(morvik::kF2Request.begin(), morvik::kF2Request.end());
      ++frame[7];
      return frame;
    }
  }
}

// Buffer sizes around the collection limit and far below it.
std::size_t PickBufferSize(std::uint8_t choice) {
  constexpr std::array<std::size_t, 8> kSizes{256, 1024, 257, 255, 17, 7, 1, 300};
  return kSizes[choice % kSizes.size()];
}

void CheckOneExchange(morvik::WriterLink& link, const morvik::test::PortScript& log,
                      FuzzInput& input) {
  const ByteVector request = PickRequest(input.Byte());
  std::vector<std::uint8_t> reply(PickBufferSize(input.Byte()), kUntouched);
  const std::size_t requestsBefore = log.requests.size();
  const std::size_t failedBefore = log.failedWrites;
  const std::size_t deliveredBefore = log.delivered.size();

  const int result = link.Exchange(request, reply);

  const std::size_t read = log.delivered.size() - deliveredBefore;
  const bool sent = log.failedWrites == failedBefore && log.requests.size() > requestsBefore;
  FUZZ_CHECK(result >= -1 && result <= 255);
  if (!morvik::CheckFrame(request) || !sent) {
    // Nothing read, and the caller's buffer untouched, byte 0 included.
    FUZZ_CHECK(result == -1 && read == 0);
    FUZZ_CHECK(std::all_of(reply.begin(), reply.end(), [](auto b) { return b == kUntouched; }));
    return;
  }
  FUZZ_CHECK(log.requests.back() == request);
  // The buffer holds the bytes read up to the collection limit, in the order
  // they came; a full collection drops what follows until the line is quiet.
  const std::size_t limit = std::min<std::size_t>(reply.size(), 256);
  const std::size_t kept = std::min(read, limit);
  FUZZ_CHECK(std::equal(reply.begin(), reply.begin() + kept, log.delivered.begin() + deliveredBefore));
  FUZZ_CHECK(kept == read || kept == limit);
  if (read == 0) FUZZ_CHECK(reply[0] == 0);
  const morvik::Bytes received(reply.data(), kept);
  FUZZ_CHECK((result >= 0) == morvik::CheckReply(received));
  if (result >= 0) FUZZ_CHECK(result == reply[3] && std::size_t(result) + 7 <= kept);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  morvik::test::FakeClock clock;
  morvik::test::ScriptedPlatform platform(clock);
  const morvik::test::PortScript& line = morvik::fuzz::AnswerFromInput(platform, input);
  morvik::HeadlessWindow window;
  morvik::WriterLink link(platform, window, clock);
  const int exchanges = 1 + input.Byte() % 4;
  FUZZ_CHECK(link.OpenPort("COM1"));
  for (int i = 0; i < exchanges; ++i) CheckOneExchange(link, line, input);
  FUZZ_CHECK(window.messages().empty());
  return 0;
}
