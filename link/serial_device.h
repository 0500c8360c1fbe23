// The platform's serial communications, reduced to the operations the writer's
// port needs: open an existing device exclusively, read and write its line
// settings and time-outs, move one byte per call, close it. The fast reply
// end also reads whatever has arrived in one call.
//
// One implementation per platform (termios on POSIX, the Win32 comm calls on
// Windows) plus the simulator's in-process loopback device.
#pragma once

#include <cstdint>
#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace morvik {

// Line settings, field for field as the Windows DCB record names them.
struct LineSettings {
  std::uint32_t BaudRate = 0;
  std::uint8_t ByteSize = 8;
  std::uint8_t Parity = 0;    // 0 = no parity
  std::uint8_t StopBits = 0;  // 0 = one stop bit
  unsigned fBinary : 1 = 1;
  unsigned fParity : 1 = 0;
  unsigned fOutxCtsFlow : 1 = 0;
  unsigned fOutxDsrFlow : 1 = 0;
  unsigned fDtrControl : 2 = 0;
  unsigned fDsrSensitivity : 1 = 0;
  unsigned fTXContinueOnXoff : 1 = 0;
  unsigned fOutX : 1 = 0;
  unsigned fInX : 1 = 0;
  unsigned fErrorChar : 1 = 0;
  unsigned fNull : 1 = 0;
  unsigned fRtsControl : 2 = 0;
  unsigned fAbortOnError : 1 = 0;
  std::uint16_t XonLim = 0;
  std::uint16_t XoffLim = 0;
  char XonChar = 0x11;
  char XoffChar = 0x13;
  char ErrorChar = 0;
  char EofChar = 0;
  char EvtChar = 0;
};

// Time-outs in milliseconds, as the Windows COMMTIMEOUTS record names them.
struct PortTimeouts {
  std::uint32_t ReadIntervalTimeout = 0;
  std::uint32_t ReadTotalTimeoutMultiplier = 0;
  std::uint32_t ReadTotalTimeoutConstant = 0;
  std::uint32_t WriteTotalTimeoutMultiplier = 0;
  std::uint32_t WriteTotalTimeoutConstant = 0;
};

// An open serial device. Destroying it releases the device.
class SerialDevice {
 public:
  virtual ~SerialDevice() = default;
  virtual bool GetState(LineSettings& settings) = 0;
  virtual bool SetState(const LineSettings& settings) = 0;
  virtual bool GetTimeouts(PortTimeouts& timeouts) = 0;
  virtual bool SetTimeouts(const PortTimeouts& timeouts) = 0;
  // One byte, blocking until accepted. True when the call succeeded.
  virtual bool WriteByte(std::uint8_t byte) = 0;
  // One byte, ending by the time-outs. True when the call succeeded; count is
  // then 0 (nothing arrived in time) or 1.
  virtual bool ReadByte(std::uint8_t& byte, int& count) = 0;
  // Drops every byte that has arrived but was not read yet. True when the call
  // succeeded.
  virtual bool DiscardInput() = 0;
  // What has arrived, up to buffer.size() bytes, waiting at most waitMs for
  // the first one; the port's own time-outs do not apply. True when the call
  // succeeded; count is then 0 (nothing came in time) or more. A device that
  // cannot read so fails, and cannot serve the fast reply end.
  virtual bool ReadAvailable(std::span<std::uint8_t> buffer, std::uint32_t waitMs,
                             std::size_t& count) {
    (void)buffer;
    (void)waitMs;
    count = 0;
    return false;
  }
};

// A device that could not be opened, and why the platform said it could not.
struct RefusedDevice {
  enum class Reason {
    kPermission,  // the device's group or its administrator can fix it
    kBusy,        // another program holds it
    kMissing,     // nothing there (a link that leads nowhere, an adapter unplugged)
  };
  std::string device;  // the platform's own name for it, e.g. /dev/ttyUSB0
  Reason reason;
  std::string group = {};  // kPermission: the device's owner group, when known
  // kPermission: the device's owner and permission bits, when known.
  std::string owner = {};
  std::optional<unsigned> mode = {};
  // kBusy: the programs holding it ("minicom (pid 4242)"), when the system tells.
  std::string holders = {};
};

// Opens devices by their Windows device path ("\\.\COM3").
class SerialPlatform {
 public:
  virtual ~SerialPlatform() = default;
  // nullptr when the device does not exist or cannot be opened exclusively.
  virtual std::unique_ptr<SerialDevice> Open(std::string_view devicePath) = 0;
  // The devices refused since the last call, oldest first; empties the list.
  virtual std::vector<RefusedDevice> TakeRefusals() { return {}; }
  // The platform's name for the device a path maps to when something is
  // there (a device, or a link even when it leads nowhere); empty otherwise.
  virtual std::string DeviceName(std::string_view /*devicePath*/) { return {}; }
};

}  // namespace morvik
