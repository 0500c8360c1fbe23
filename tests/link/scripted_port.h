// A serial platform driven by a script: each port answers the requests it
// receives with prepared bytes, so a test can assert the exact frames the tool
// sends and the exact time the exchanges cost.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/serial_device.h"
#include "link/writer_frame.h"

namespace morvik::test {

using ByteVector = std::vector<std::uint8_t>;

class FakeClock final : public Clock {
 public:
  void Sleep(std::uint32_t ms) override { now += ms; sleeps.push_back(ms); }
  std::int64_t NowMs() override { return now; }
  std::int64_t now = 0;
  std::vector<std::uint32_t> sleeps;
};

// One port's behaviour. Replies are handed out one per complete request frame;
// a request beyond the script gets silence.
struct PortScript {
  bool refuseOpen = false;
  int maxOpens = 1 << 30;  // further opens are refused
  bool failGetState = false;
  bool failSetState = false;
  bool failGetTimeouts = false;
  bool failSetTimeouts = false;
  bool failWrites = false;
  std::deque<ByteVector> replies;  // empty vector = silence for that request
  // Written by the device:
  std::vector<ByteVector> requests;
  LineSettings settings;
  PortTimeouts timeouts;
  int opens = 0;
  int reads = 0;
  int silentReads = 0;
  std::deque<std::uint8_t> pending;  // bytes not yet read by the tool
  std::size_t discarded = 0;         // bytes dropped by DiscardInput
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
    if (port_.failWrites) return false;
    request_.push_back(byte);
    if (FrameLength(request_) == request_.size()) {
      port_.requests.push_back(request_);
      request_.clear();
      if (!port_.replies.empty()) {
        const ByteVector reply = port_.replies.front();
        port_.replies.pop_front();
        port_.pending.insert(port_.pending.end(), reply.begin(), reply.end());
      }
    }
    return true;
  }
  bool ReadByte(std::uint8_t& byte, int& count) override {
    ++port_.reads;
    if (port_.pending.empty()) {
      ++port_.silentReads;
      clock_.now += 200;
      count = 0;
      return true;
    }
    byte = port_.pending.front();
    port_.pending.pop_front();
    count = 1;
    return true;
  }

  bool DiscardInput() override {
    port_.discarded += port_.pending.size();
    port_.pending.clear();
    return true;
  }

 private:
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
