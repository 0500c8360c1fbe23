// A serial platform driven by a script, for the link tests and the fuzz
// targets: each port answers the requests it receives with prepared replies or
// with steps drawn one per request, so a check can see the exact frames the
// tool sends, the bytes it read and the time the exchanges cost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "link/clock.h"
#include "link/serial_device.h"
#include "link/writer_frame.h"

namespace morvik::test {

using ByteVector = std::vector<std::uint8_t>;

// Counts time instead of passing it; a silent read costs 200 ms, not a sleep.
class FakeClock final : public Clock {
 public:
  void Sleep(std::uint32_t ms) override { now += ms; sleeps.push_back(ms); }
  std::int64_t NowMs() override { return now; }
  std::int64_t now = 0;
  std::vector<std::uint32_t> sleeps;
};

// The writer's answer to one whole request frame.
struct LineStep {
  bool dieAfter = false;      // the line dies once the reply has been read
  bool failWrite = false;     // the request's last byte fails; nothing is answered
  std::size_t silenceAt = 0;  // a silence after that many reply bytes (0: none)
  ByteVector reply;
};

// One port's behaviour. Each whole request frame takes the next step from
// `steps` when set, else the next of `replies`; a request beyond the script
// gets silence.
struct PortScript {
  bool refuseOpen = false;
  int maxOpens = 1 << 30;  // further opens are refused
  bool failGetState = false;
  bool failSetState = false;
  bool failGetTimeouts = false;
  bool failSetTimeouts = false;
  bool failWrites = false;
  std::deque<ByteVector> replies;  // empty vector = silence for that request
  std::function<LineStep()> steps;
  // Written by the device:
  std::vector<ByteVector> requests;
  ByteVector delivered;  // every byte the tool read, in order
  LineSettings settings;
  PortTimeouts timeouts;
  int opens = 0;
  int reads = 0;
  int silentReads = 0;
  std::size_t failedWrites = 0;
  // Bytes not yet read by the tool; std::nullopt is a silence that ends a
  // collection, what follows it waits for the next exchange.
  std::deque<std::optional<std::uint8_t>> pending;
  std::size_t discarded = 0;  // bytes dropped by DiscardInput
  bool dieWhenDrained = false;
  bool dead = false;  // every write, read and discard fails
};

class ScriptedDevice final : public SerialDevice {
 public:
  ScriptedDevice(PortScript& port, FakeClock& clock) : port_(port), clock_(clock) {}
  bool GetState(LineSettings& s) override { s = port_.settings; return !port_.failGetState; }
  bool SetState(const LineSettings& s) override {
    if (port_.failSetState) return false;
    port_.settings = s;
    return true;
  }
  bool GetTimeouts(PortTimeouts& t) override { t = port_.timeouts; return !port_.failGetTimeouts; }
  bool SetTimeouts(const PortTimeouts& t) override {
    if (port_.failSetTimeouts) return false;
    port_.timeouts = t;
    return true;
  }

  bool WriteByte(std::uint8_t byte) override {
    if (port_.failWrites || port_.dead) return Refuse();
    request_.push_back(byte);
    if (FrameLength(request_) != request_.size()) return true;
    port_.requests.push_back(std::exchange(request_, {}));
    const LineStep step = NextStep();
    if (step.failWrite) return Refuse();
    for (std::size_t i = 0; i < step.reply.size(); ++i) {
      if (step.silenceAt != 0 && i == step.silenceAt) port_.pending.push_back(std::nullopt);
      port_.pending.push_back(step.reply[i]);
    }
    port_.dieWhenDrained = step.dieAfter;
    return true;
  }

  bool ReadByte(std::uint8_t& byte, int& count) override {
    ++port_.reads;
    count = 0;
    if (port_.pending.empty()) {
      port_.dead = port_.dead || port_.dieWhenDrained;
      if (port_.dead) return false;
    } else if (port_.pending.front()) {
      byte = *port_.pending.front();
      port_.pending.pop_front();
      port_.delivered.push_back(byte);
      count = 1;
      return true;
    } else {
      port_.pending.pop_front();
    }
    ++port_.silentReads;
    clock_.now += 200;
    return true;
  }

  // Drops what has arrived, up to the next silence. On a dead line the request
  // that was to follow never reaches it, as a failed write.
  bool DiscardInput() override {
    for (; !port_.pending.empty() && port_.pending.front(); ++port_.discarded) {
      port_.pending.pop_front();
    }
    return port_.dead ? Refuse() : true;
  }

 private:
  LineStep NextStep() {
    if (port_.steps) return port_.steps();
    if (port_.replies.empty()) return {};
    LineStep step;
    step.reply = std::move(port_.replies.front());
    port_.replies.pop_front();
    return step;
  }
  bool Refuse() {
    ++port_.failedWrites;
    return false;
  }

  PortScript& port_;
  FakeClock& clock_;
  ByteVector request_;
};

class ScriptedPlatform final : public SerialPlatform {
 public:
  explicit ScriptedPlatform(FakeClock& clock) : clock_(clock) {}
  std::unique_ptr<SerialDevice> Open(std::string_view path) override {
    opened.emplace_back(path);
    auto found = ports.find(std::string(path));
    if (found == ports.end() || found->second.refuseOpen ||
        found->second.opens >= found->second.maxOpens) {
      if (found != ports.end()) refusals.push_back({std::string(path), RefusedDevice::Reason::kBusy});
      return nullptr;
    }
    ++found->second.opens;
    return std::make_unique<ScriptedDevice>(found->second, clock_);
  }
  std::vector<RefusedDevice> TakeRefusals() override { return std::exchange(refusals, {}); }

  PortScript& port(int number) { return ports["\\\\.\\COM" + std::to_string(number)]; }

  std::map<std::string, PortScript> ports;
  std::vector<std::string> opened;
  std::vector<RefusedDevice> refusals;

 private:
  FakeClock& clock_;
};

}  // namespace morvik::test
