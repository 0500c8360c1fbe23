// What the fuzz targets share: a reader that turns the fuzzer's bytes into
// choices and byte strings, a check that stops the run on a broken invariant,
// a clock that only counts, and a serial line whose replies come from the
// fuzzer's bytes, one reply per request the tool sends.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/clock.h"
#include "link/serial_device.h"
#include "link/writer_frame.h"

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

using ByteVector = std::vector<std::uint8_t>;

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

class CountingClock final : public Clock {
 public:
  void Sleep(std::uint32_t milliseconds) override { now_ += milliseconds; }
  std::int64_t NowMs() override { return now_; }

 private:
  std::int64_t now_ = 0;
};

// One step of the writer's side, taken from the input each time a whole
// request frame has been written:
//   control byte: bit 0 the line dies after this reply; bit 1 the request's
//                 last byte fails to go out (nothing is answered); bits 2-7,
//                 when not 0, put a silence after that many times 4 bytes
//   then a Chunk(): the reply bytes, any length, any content.
struct LineStep {
  bool dieAfter = false;
  bool failWrite = false;
  std::size_t silenceAt = 0;  // 0: no silence inside the reply
  ByteVector reply;
};

inline LineStep ReadLineStep(FuzzInput& input) {
  const std::uint8_t control = input.Byte();
  LineStep step;
  step.dieAfter = (control & 0x01) != 0;
  step.failWrite = (control & 0x02) != 0;
  step.silenceAt = static_cast<std::size_t>(control >> 2) * 4;
  step.reply = input.Chunk();
  return step;
}

// What crossed the line, for the targets' checks.
struct LineLog {
  std::vector<ByteVector> requests;  // every whole request frame, in order
  ByteVector delivered;              // every byte the tool read, in order
  std::size_t failedWrites = 0;
};

// The writer's side of a port: answers from the input, read one byte at a
// time by the tool, with silences where the steps put them. A silence ends
// the tool's collection; what follows it waits for the next exchange.
class ScriptedLine final : public SerialDevice {
 public:
  ScriptedLine(FuzzInput& input, CountingClock& clock, LineLog& log)
      : input_(input), clock_(clock), log_(log) {}

  bool GetState(LineSettings& settings) override {
    settings = state_;
    return true;
  }
  bool SetState(const LineSettings& settings) override {
    state_ = settings;
    return true;
  }
  bool GetTimeouts(PortTimeouts& timeouts) override {
    timeouts = timeouts_;
    return true;
  }
  bool SetTimeouts(const PortTimeouts& timeouts) override {
    timeouts_ = timeouts;
    return true;
  }

  bool WriteByte(std::uint8_t byte) override {
    if (dead_) return Refuse();
    request_.push_back(byte);
    if (FrameLength(request_) != request_.size()) return true;
    log_.requests.push_back(request_);
    request_.clear();
    const LineStep step = ReadLineStep(input_);
    if (step.failWrite) return Refuse();
    Queue(step);
    deadAfterQueue_ = step.dieAfter;
    return true;
  }

  // What has arrived is everything up to the next silence. On a dead line the
  // request that was to follow never reaches it, as a failed write.
  bool DiscardInput() override {
    while (!queue_.empty() && !queue_.front().silence) queue_.pop_front();
    if (dead_) ++log_.failedWrites;
    return !dead_;
  }

  bool ReadByte(std::uint8_t& byte, int& count) override {
    count = 0;
    if (queue_.empty()) {
      if (deadAfterQueue_) dead_ = true;
      if (dead_) return false;
      clock_.Sleep(200);
      return true;
    }
    const Event event = queue_.front();
    queue_.pop_front();
    if (event.silence) {
      clock_.Sleep(200);
      return true;
    }
    byte = event.byte;
    count = 1;
    log_.delivered.push_back(byte);
    return true;
  }

 private:
  struct Event {
    bool silence;
    std::uint8_t byte;
  };

  bool Refuse() {
    ++log_.failedWrites;
    return false;
  }
  void Queue(const LineStep& step) {
    for (std::size_t i = 0; i < step.reply.size(); ++i) {
      if (step.silenceAt != 0 && i == step.silenceAt) queue_.push_back({true, 0});
      queue_.push_back({false, step.reply[i]});
    }
  }

  FuzzInput& input_;
  CountingClock& clock_;
  LineLog& log_;
  LineSettings state_;
  PortTimeouts timeouts_;
  ByteVector request_;
  std::deque<Event> queue_;
  bool dead_ = false;
  bool deadAfterQueue_ = false;
};

// One port, COM1; each open gives a fresh line that answers from the same
// input.
class ScriptedPlatform final : public SerialPlatform {
 public:
  ScriptedPlatform(FuzzInput& input, CountingClock& clock) : input_(input), clock_(clock) {}

  std::unique_ptr<SerialDevice> Open(std::string_view devicePath) override {
    if (devicePath != "\\\\.\\COM1") return nullptr;
    logs.emplace_back();
    return std::make_unique<ScriptedLine>(input_, clock_, logs.back());
  }

  // One log per open, in order; a deque so that open lines keep their log.
  std::deque<LineLog> logs;

 private:
  FuzzInput& input_;
  CountingClock& clock_;
};

}  // namespace morvik::fuzz
