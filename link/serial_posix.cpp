// Serial ports on POSIX: termios, with an exclusive lock on the device.
//
// The line is put raw at 19200 8N1 without flow control, DTR and RTS dropped
// where the device has modem lines. A one-byte read with VMIN=0 and VTIME=2
// gives "a byte as soon as it is there, else nothing after 200 ms". The fast
// reply end waits with poll, whose millisecond wait the guard needs (VTIME
// counts tenths of a second), then takes what is there in one read.
#include <fcntl.h>
#include <poll.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "link/device_holders.h"
#include "link/port_names.h"
#include "link/system_serial.h"

namespace morvik {
namespace {

struct BaudEntry {
  std::uint32_t rate;
  speed_t speed;
};

constexpr BaudEntry kBaudRates[] = {
    {1200, B1200},   {2400, B2400},   {4800, B4800},     {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
};

bool ToSpeed(std::uint32_t rate, speed_t& speed) {
  for (const BaudEntry& entry : kBaudRates) {
    if (entry.rate == rate) {
      speed = entry.speed;
      return true;
    }
  }
  return false;
}

std::uint32_t FromSpeed(speed_t speed) {
  for (const BaudEntry& entry : kBaudRates) {
    if (entry.speed == speed) return entry.rate;
  }
  return 0;
}

// A pseudo-terminal has no modem lines: ENOTTY (or EINVAL) there is no failure.
bool ModemLineCall(int fd, unsigned long request, int bits) {
  if (ioctl(fd, request, &bits) == 0) return true;
  return errno == ENOTTY || errno == EINVAL;
}

class PosixSerialDevice final : public SerialDevice {
 public:
  explicit PosixSerialDevice(int fd) : fd_(fd) {}
  ~PosixSerialDevice() override {
    // The exclusive mark outlives this descriptor while another one stays
    // open on the tty (a simulator keeps its own): lift it for the next opener.
    ioctl(fd_, TIOCNXCL);
    flock(fd_, LOCK_UN);
    ::close(fd_);
  }

  bool GetState(LineSettings& s) override {
    termios tio{};
    if (tcgetattr(fd_, &tio) != 0) return false;
    s.BaudRate = FromSpeed(cfgetospeed(&tio));
    switch (tio.c_cflag & CSIZE) {
      case CS5: s.ByteSize = 5; break;
      case CS6: s.ByteSize = 6; break;
      case CS7: s.ByteSize = 7; break;
      default: s.ByteSize = 8; break;
    }
    s.Parity = (tio.c_cflag & PARENB) ? ((tio.c_cflag & PARODD) ? 1 : 2) : 0;
    s.StopBits = (tio.c_cflag & CSTOPB) ? 2 : 0;
    s.fParity = (tio.c_iflag & INPCK) ? 1 : 0;
    s.fOutxCtsFlow = (tio.c_cflag & CRTSCTS) ? 1 : 0;
    s.fOutX = (tio.c_iflag & IXON) ? 1 : 0;
    s.fInX = (tio.c_iflag & IXOFF) ? 1 : 0;
    int lines = 0;
    if (ioctl(fd_, TIOCMGET, &lines) == 0) {
      s.fDtrControl = (lines & TIOCM_DTR) ? 1 : 0;
      s.fRtsControl = (lines & TIOCM_RTS) ? 1 : 0;
    }
    return true;
  }

  bool SetState(const LineSettings& s) override {
    termios tio{};
    speed_t speed{};
    if (tcgetattr(fd_, &tio) != 0 || !ToSpeed(s.BaudRate, speed)) return false;
    cfmakeraw(&tio);
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | ByteSizeFlag(s.ByteSize);
    if (s.Parity == 1 || s.Parity == 2) tio.c_cflag |= PARENB | (s.Parity == 1 ? PARODD : 0);
    if (s.StopBits == 2) tio.c_cflag |= CSTOPB;
    if (s.fOutxCtsFlow) tio.c_cflag |= CRTSCTS;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    if (s.fParity) tio.c_iflag |= INPCK;
    if (s.fOutX) tio.c_iflag |= IXON;
    if (s.fInX) tio.c_iflag |= IXOFF;
    ApplyReadTimeouts(tio);
    if (tcsetattr(fd_, TCSANOW, &tio) != 0) return false;
    return ModemLineCall(fd_, s.fDtrControl ? TIOCMBIS : TIOCMBIC, TIOCM_DTR) &&
           ModemLineCall(fd_, s.fRtsControl ? TIOCMBIS : TIOCMBIC, TIOCM_RTS);
  }

  bool GetTimeouts(PortTimeouts& timeouts) override {
    timeouts = timeouts_;
    return true;
  }

  bool SetTimeouts(const PortTimeouts& timeouts) override {
    termios tio{};
    if (tcgetattr(fd_, &tio) != 0) return false;
    timeouts_ = timeouts;
    ApplyReadTimeouts(tio);
    return tcsetattr(fd_, TCSANOW, &tio) == 0;
  }

  bool WriteByte(std::uint8_t byte) override {
    ssize_t n;
    do {
      n = ::write(fd_, &byte, 1);
    } while (n < 0 && errno == EINTR);
    return n >= 0;
  }

  bool ReadByte(std::uint8_t& byte, int& count) override {
    ssize_t n;
    do {
      n = ::read(fd_, &byte, 1);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return false;
    count = static_cast<int>(n);
    return true;
  }

  bool DiscardInput() override { return tcflush(fd_, TCIFLUSH) == 0; }

  bool ReadAvailable(std::span<std::uint8_t> buffer, std::uint32_t waitMs,
                     std::size_t& count) override {
    count = 0;
    pollfd ready{fd_, POLLIN, 0};
    int polled;
    do {
      polled = ::poll(&ready, 1, static_cast<int>(waitMs));
    } while (polled < 0 && errno == EINTR);
    if (polled <= 0) return polled == 0;
    // With data waiting, this read returns at once with what is there.
    ssize_t n;
    do {
      n = ::read(fd_, buffer.data(), buffer.size());
    } while (n < 0 && errno == EINTR);
    if (n < 0) return false;
    count = static_cast<std::size_t>(n);
    return true;
  }

 private:
  static tcflag_t ByteSizeFlag(std::uint8_t size) {
    switch (size) {
      case 5: return CS5;
      case 6: return CS6;
      case 7: return CS7;
      default: return CS8;
    }
  }

  // A one-byte read waits the per-byte total time-out (multiplier plus
  // constant), in tenths of a second for termios. No time-outs at all means
  // a read blocks until a byte arrives, as on Windows.
  void ApplyReadTimeouts(termios& tio) const {
    const std::uint32_t ms =
        timeouts_.ReadTotalTimeoutMultiplier + timeouts_.ReadTotalTimeoutConstant;
    if (ms == 0 && timeouts_.ReadIntervalTimeout == 0) {
      tio.c_cc[VMIN] = 1;
      tio.c_cc[VTIME] = 0;
      return;
    }
    const std::uint32_t tenths = (ms + 99) / 100;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = static_cast<cc_t>(tenths > 255 ? 255 : tenths);
  }

  int fd_;
  PortTimeouts timeouts_{};
};

class PosixSerialPlatform final : public SerialPlatform {
 public:
  std::unique_ptr<SerialDevice> Open(std::string_view devicePath) override {
    const std::optional<std::string> device =
        PosixDeviceForPath(devicePath, std::getenv("MORVIK_PORT_DIR"));
    if (!device) {
      refusals_.push_back({std::string(devicePath), RefusedDevice::Reason::kMissing});
      return nullptr;
    }
    const int fd = ::open(device->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      NoteRefusal(*device, errno);
      return nullptr;
    }
    // Exclusive, as a Windows port is: flock holds off every other holder
    // (root included), TIOCEXCL holds off other openers of the tty.
    // A program may hold it open without either (a terminal program): that is
    // asked before TIOCEXCL, which would hold off that program's next open too.
    const bool locked = flock(fd, LOCK_EX | LOCK_NB) == 0;
    const std::string holders = locked && isatty(fd) ? HoldersText(fd) : std::string();
    if (!locked || !holders.empty() || (isatty(fd) && ioctl(fd, TIOCEXCL) != 0)) {
      NoteRefusal(*device, EBUSY);
      refusals_.back().holders = holders;
      ::close(fd);
      return nullptr;
    }
    const int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    // A freshly opened port starts empty.
    tcflush(fd, TCIOFLUSH);
    return std::make_unique<PosixSerialDevice>(fd);
  }

  std::vector<RefusedDevice> TakeRefusals() override { return std::exchange(refusals_, {}); }

  std::string DeviceName(std::string_view devicePath) override {
    const std::optional<std::string> device =
        PosixDeviceForPath(devicePath, std::getenv("MORVIK_PORT_DIR"));
    struct stat entry {};
    return device && lstat(device->c_str(), &entry) == 0 ? *device : std::string();
  }

 private:
  // "minicom (pid 4242), cat (pid 4300)": the other programs that hold it open.
  static std::string HoldersText(int fd) {
    std::string text;
    for (const std::string& holder : OtherHoldersOf(fd)) text += (text.empty() ? "" : ", ") + holder;
    return text;
  }

  // The device's owner, group and permission bits: who may open it.
  static RefusedDevice NoPermission(const std::string& device) {
    RefusedDevice refused{device, RefusedDevice::Reason::kPermission};
    struct stat entry {};
    if (stat(device.c_str(), &entry) != 0) return refused;
    const group* owningGroup = getgrgid(entry.st_gid);
    refused.group = owningGroup != nullptr ? owningGroup->gr_name : std::to_string(entry.st_gid);
    const passwd* owner = getpwuid(entry.st_uid);
    refused.owner = owner != nullptr ? owner->pw_name : std::to_string(entry.st_uid);
    refused.mode = entry.st_mode & 07777;
    return refused;
  }

  void NoteRefusal(const std::string& device, int error) {
    if (error == EACCES || error == EPERM) {
      refusals_.push_back(NoPermission(device));
    } else if (error == EBUSY || error == EAGAIN || error == EWOULDBLOCK) {
      refusals_.push_back({device, RefusedDevice::Reason::kBusy});
    } else if (error == ENOENT || error == ENXIO || error == ENODEV) {
      refusals_.push_back({device, RefusedDevice::Reason::kMissing});
    }
  }

  std::vector<RefusedDevice> refusals_;
};

}  // namespace

std::unique_ptr<SerialPlatform> MakeSystemSerialPlatform() {
  return std::make_unique<PosixSerialPlatform>();
}

}  // namespace morvik
