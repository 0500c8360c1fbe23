#include "sim/loopback_serial.h"

#include <algorithm>
#include <string>
#include <utility>

#include "link/port_names.h"

namespace morvik::sim {
namespace {

constexpr std::string_view kDevicePrefix = "\\\\.\\";
constexpr std::int64_t kBitsPerByte = 10;  // start, 8 data, stop
constexpr std::int64_t kReadGapUs = 2'000;  // the Windows device's interval time-out

int ComNumber(std::string_view devicePath) {
  if (!devicePath.starts_with(kDevicePrefix)) return 0;
  return ComPortNumber(devicePath.substr(kDevicePrefix.size())).value_or(0);
}

class LoopbackDevice final : public SerialDevice {
 public:
  LoopbackDevice(LoopbackPlatform& platform, LoopbackPort& port)
      : platform_(platform), port_(port) {}
  ~LoopbackDevice() override { port_.open = false; }

  bool GetState(LineSettings& settings) override {
    settings = port_.state;
    return true;
  }
  bool SetState(const LineSettings& settings) override {
    if (port_.failSetState) return false;
    port_.state = settings;
    return true;
  }
  bool GetTimeouts(PortTimeouts& timeouts) override {
    timeouts = port_.timeouts;
    return true;
  }
  bool SetTimeouts(const PortTimeouts& timeouts) override {
    if (port_.failSetTimeouts) return false;
    port_.timeouts = timeouts;
    return true;
  }

  bool WriteByte(std::uint8_t byte) override {
    if (port_.lineDropped) return false;
    port_.received.push_back(byte);
    const std::int64_t byteUs = platform_.ByteTimeUs(port_);
    port_.toWriterFreeUs = std::max(port_.toWriterFreeUs, platform_.clock().NowUs()) + byteUs;
    if (port_.kind == PortKind::kWriter && port_.writer != nullptr) {
      port_.writer->AdvanceTo(platform_.clock().NowMs());
      Transmit(port_.writer->Receive(std::span(&byte, 1)), port_.toWriterFreeUs, byteUs);
    }
    return true;
  }

  // Returns the next byte once it has arrived within the read time-out;
  // otherwise waits out the time-out and reports nothing.
  bool ReadByte(std::uint8_t& byte, int& count) override {
    std::size_t taken = 0;
    if (!Take(std::span(&byte, 1), ReadTimeoutUs(), taken)) return false;
    count = static_cast<int>(taken);
    return true;
  }

  // Bytes still on the line arrive later, as they would on a real port.
  bool DiscardInput() override {
    if (port_.lineDropped) return false;
    const std::int64_t now = platform_.clock().NowUs();
    std::erase_if(port_.toTool, [now](const InFlightByte& b) { return b.arrivalUs <= now; });
    return true;
  }

  // As a Windows port's read does, this one ends when the bytes asked for have
  // come or the line has paused for kReadGapUs after a byte: a reader that
  // asks for more than the writer sends pays that pause.
  bool ReadAvailable(std::span<std::uint8_t> buffer, std::uint32_t waitMs,
                     std::size_t& count) override {
    if (!Take(buffer, std::int64_t{waitMs} * 1000, count)) return false;
    std::size_t more = count;
    while (more > 0 && count < buffer.size() && Take(buffer.subspan(count), kReadGapUs, more)) {
      count += more;
    }
    return true;
  }

 private:
  // The writer starts answering once the request's last byte has arrived.
  void Transmit(const std::vector<std::uint8_t>& reply, std::int64_t startUs, std::int64_t byteUs) {
    std::int64_t at = std::max(startUs + port_.answerDelayUs, port_.toToolFreeUs);
    for (std::uint8_t b : reply) {
      at += byteUs;
      port_.toTool.push_back({b, at});
    }
    port_.toToolFreeUs = at;
  }

  // Waits up to waitUs for the first byte, then takes every byte that has
  // arrived by then, as many as fit.
  bool Take(std::span<std::uint8_t> buffer, std::int64_t waitUs, std::size_t& count) {
    count = 0;
    if (port_.lineDropped) return false;
    VirtualClock& clock = platform_.clock();
    const std::int64_t deadline = clock.NowUs() + waitUs;
    if (port_.toTool.empty() || port_.toTool.front().arrivalUs > deadline) {
      clock.AdvanceToUs(deadline);
      return true;
    }
    clock.AdvanceToUs(port_.toTool.front().arrivalUs);
    while (count < buffer.size() && !port_.toTool.empty() &&
           port_.toTool.front().arrivalUs <= clock.NowUs()) {
      buffer[count++] = port_.toTool.front().byte;
      port_.toTool.pop_front();
    }
    return true;
  }

  // A one-byte read: the per-byte total time-out plus its constant. With no
  // time-outs at all a Windows read would block for ever; here it ends at once.
  std::int64_t ReadTimeoutUs() const {
    const PortTimeouts& t = port_.timeouts;
    return (std::int64_t{t.ReadTotalTimeoutMultiplier} + t.ReadTotalTimeoutConstant) * 1000;
  }

  LoopbackPlatform& platform_;
  LoopbackPort& port_;
};

}  // namespace

void VirtualClock::AdvanceToUs(std::int64_t us) {
  if (us > nowUs_) nowUs_ = us;
  while (!events_.empty() && events_.begin()->first <= nowUs_) {
    const std::function<void()> event = std::move(events_.begin()->second);
    events_.erase(events_.begin());
    event();
  }
}

LineSettings FreshLineSettings() {
  LineSettings settings;
  settings.BaudRate = 9600;
  settings.ByteSize = 7;
  settings.Parity = 2;
  settings.StopBits = 2;
  settings.fParity = 1;
  settings.fOutxCtsFlow = 1;
  settings.fDtrControl = 1;
  settings.fRtsControl = 1;
  settings.fOutX = 1;
  settings.fInX = 1;
  settings.XonLim = 2048;
  settings.XoffLim = 512;
  return settings;
}

PortTimeouts FreshTimeouts() { return {50, 10, 1000, 10, 500}; }

void LoopbackPlatform::AttachWriter(int com, WriterModel& writer) {
  LoopbackPort& p = ports_[com];
  p.kind = PortKind::kWriter;
  p.writer = &writer;
}

void LoopbackPlatform::AddSilentPort(int com) { ports_[com].kind = PortKind::kSilent; }

void LoopbackPlatform::AddRefusingPort(int com, RefusedDevice::Reason reason) {
  ports_[com].kind = PortKind::kRefusing;
  ports_[com].refusal = reason;
}

void LoopbackPlatform::RemovePort(int com) {
  ports_[com].kind = PortKind::kAbsent;
  ports_[com].writer = nullptr;
}

std::int64_t LoopbackPlatform::ByteTimeUs(const LoopbackPort& port) const {
  if (!wireTime_ || port.state.BaudRate == 0) return 0;
  return kBitsPerByte * 1'000'000 / port.state.BaudRate;
}

std::vector<int> LoopbackPlatform::OpenedPorts() const {
  std::vector<int> opened;
  for (const OpenAttempt& attempt : openLog_) {
    if (attempt.opened) opened.push_back(attempt.com);
  }
  return opened;
}

std::unique_ptr<SerialDevice> LoopbackPlatform::Open(std::string_view devicePath) {
  const int com = ComNumber(devicePath);
  const auto found = ports_.find(com);
  LoopbackPort* port = found == ports_.end() ? nullptr : &found->second;
  const bool opens = port != nullptr && !port->open &&
                     (port->kind == PortKind::kSilent || port->kind == PortKind::kWriter);
  openLog_.push_back({com, clock_.NowMs(), opens});
  const std::string name = "COM" + std::to_string(com);
  if (port == nullptr || port->kind == PortKind::kAbsent) {
    refusals_.push_back({name, RefusedDevice::Reason::kMissing});
  } else if (port->kind == PortKind::kRefusing) {
    refusals_.push_back({name, port->refusal});
  } else if (port->open) {
    refusals_.push_back({name, RefusedDevice::Reason::kBusy});
  }
  if (!opens) return nullptr;

  ++port->opens;
  port->open = true;
  // A freshly opened port starts with nothing in flight.
  port->toTool.clear();
  port->toWriterFreeUs = port->toToolFreeUs = clock_.NowUs();
  return std::make_unique<LoopbackDevice>(*this, *port);
}

std::string LoopbackPlatform::DeviceName(std::string_view devicePath) {
  const auto found = ports_.find(ComNumber(devicePath));
  if (found == ports_.end() || found->second.kind == PortKind::kAbsent) return {};
  return "loopback COM" + std::to_string(found->first);
}

std::vector<RefusedDevice> LoopbackPlatform::TakeRefusals() { return std::exchange(refusals_, {}); }

}  // namespace morvik::sim
