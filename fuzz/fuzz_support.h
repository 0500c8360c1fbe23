// What the fuzz targets share: a reader that turns the fuzzer's bytes into
// choices and byte strings, a check that stops the run on a broken invariant,
// and a scripted serial line whose replies come from the fuzzer's bytes, one
// reply per request the tool sends.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/scripted_line.h"

// A broken invariant: say which, then abort so that the fuzzer (or the corpus
// replay) reports the input as a crash.
#define FUZZ_CHECK(condition)                                                                \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (false)

namespace morvik::fuzz {

using test::ByteVector;

// Reads the fuzzer's input front to back; once it runs dry every read gives 0
// or an empty string, so a short input still makes a complete run.
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool empty() const { return at_ >= size_; }
  std::uint8_t Byte() { return empty() ? 0 : data_[at_++]; }
  std::uint16_t Word() {
    const std::uint16_t low = Byte();
    return static_cast<std::uint16_t>(low | (Byte() << 8));
  }
  // A 16-bit length (little end first), cut to what is left, then that many bytes.
  ByteVector Chunk() {
    const std::size_t wanted = Word();
    const std::size_t length = std::min(wanted, size_ - std::min(at_, size_));
    ByteVector bytes(data_ + at_, data_ + at_ + length);
    at_ += length;
    return bytes;
  }
  std::string Text() {
    const ByteVector bytes = Chunk();
    return std::string(bytes.begin(), bytes.end());
  }
 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// One step of the writer's side, taken from the input each time a whole
// request frame has been written:
//   control byte: bit 0 the line dies after this reply; bit 1 the request's
//                 last byte fails to go out (nothing is answered); bits 2-7,
//                 when not 0, put a silence after that many times 4 bytes
//   then a Chunk(): the reply bytes, any length, any content.
inline test::LineStep ReadLineStep(FuzzInput& input) {
  const std::uint8_t control = input.Byte();
  test::LineStep step;
  step.dieAfter = (control & 0x01) != 0;
  step.failWrite = (control & 0x02) != 0;
  step.silenceAt = static_cast<std::size_t>(control >> 2) * 4;
  step.reply = input.Chunk();
  return step;
}

// COM1, the only port, answering every request with a step from the input.
inline test::PortScript& AnswerFromInput(test::ScriptedPlatform& platform, FuzzInput& input) {
  test::PortScript& port = platform.port(1);
  port.steps = [&input] { return ReadLineStep(input); };
  return port;
}

}  // namespace morvik::fuzz
