// Serial ports inside the process, on virtual time: the tool's own port code
// runs against writer models (or silent, refusing and missing ports) and a
// 200 ms read time-out costs nothing but a number.
//
// Time moves only when the tool waits: Sleep advances it, and a read that finds
// nothing advances it by the port's read time-out. With wire time on, every
// byte also takes its 10 bit times at the port's baud rate to cross the line.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "link/clock.h"
#include "link/serial_device.h"
#include "sim/writer_model.h"

namespace morvik::sim {

class VirtualClock final : public Clock {
 public:
  void Sleep(std::uint32_t milliseconds) override { AdvanceUs(std::int64_t{milliseconds} * 1000); }
  std::int64_t NowMs() override { return nowUs_ / 1000; }
  std::int64_t NowUs() const { return nowUs_; }
  void AdvanceUs(std::int64_t us) { AdvanceToUs(nowUs_ + us); }
  void AdvanceToUs(std::int64_t us);
  // Runs the event once time has reached atMs (an operator's hand, a cable
  // pulled): the events due run whenever time moves, in the order of their times.
  void At(std::int64_t atMs, std::function<void()> event) { events_.emplace(atMs * 1000, std::move(event)); }

 private:
  std::int64_t nowUs_ = 0;
  std::multimap<std::int64_t, std::function<void()>> events_;
};

enum class PortKind {
  kAbsent,    // no such device
  kSilent,    // opens, takes every byte, never answers
  kRefusing,  // exists but cannot be opened (busy or no permission)
  kWriter,    // a writer model answers
};

// What a port's driver reports before anyone configures it. Deliberately
// unlike the writer's settings, so that tests see every field being written.
LineSettings FreshLineSettings();
PortTimeouts FreshTimeouts();

struct InFlightByte {
  std::uint8_t byte;
  std::int64_t arrivalUs;  // when it reaches the tool's side
};

// One port as the platform keeps it; its settings outlive each open.
struct LoopbackPort {
  PortKind kind = PortKind::kAbsent;
  WriterModel* writer = nullptr;
  RefusedDevice::Reason refusal = RefusedDevice::Reason::kBusy;
  bool failSetState = false;
  bool failSetTimeouts = false;
  // The device itself is gone (adapter unplugged): every write and read fails.
  bool lineDropped = false;
  // The writer's time to answer: its reply starts this long after the
  // request's last byte has arrived.
  std::int64_t answerDelayUs = 0;

  LineSettings state = FreshLineSettings();
  PortTimeouts timeouts = FreshTimeouts();
  int opens = 0;
  bool open = false;
  std::vector<std::uint8_t> received;  // every byte the tool wrote
  std::deque<InFlightByte> toTool;
  std::int64_t toWriterFreeUs = 0;  // when the line towards the writer is idle again
  std::int64_t toToolFreeUs = 0;
};

struct OpenAttempt {
  int com;  // 0 for a path that names no COM port
  std::int64_t atMs;
  bool opened;
};

class LoopbackPlatform final : public SerialPlatform {
 public:
  explicit LoopbackPlatform(VirtualClock& clock) : clock_(clock) {}

  // The model must outlive every device opened on the port.
  void AttachWriter(int com, WriterModel& writer);
  void AddSilentPort(int com);
  void AddRefusingPort(int com, RefusedDevice::Reason reason = RefusedDevice::Reason::kBusy);
  void RemovePort(int com);
  LoopbackPort& port(int com) { return ports_[com]; }

  void SetWireTime(bool on) { wireTime_ = on; }

  const std::vector<OpenAttempt>& openLog() const { return openLog_; }
  // The ports opened successfully, in order, once per open.
  std::vector<int> OpenedPorts() const;

  // Devices hold a reference to the platform: it must outlive them.
  std::unique_ptr<SerialDevice> Open(std::string_view devicePath) override;
  std::vector<RefusedDevice> TakeRefusals() override;
  // "loopback COMn" for every port that is not absent.
  std::string DeviceName(std::string_view devicePath) override;

  // Used by the devices.
  VirtualClock& clock() { return clock_; }
  std::int64_t ByteTimeUs(const LoopbackPort& port) const;

 private:
  VirtualClock& clock_;
  bool wireTime_ = false;
  std::map<int, LoopbackPort> ports_;
  std::vector<OpenAttempt> openLog_;
  std::vector<RefusedDevice> refusals_;
};

}  // namespace morvik::sim
