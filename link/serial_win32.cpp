// Serial ports on Windows: the Win32 communications calls, one byte per call.
//
// The device is opened exclusively ("\\.\COMn", no sharing, no overlapped
// input and output). Line settings are read with GetCommState and written back
// with SetCommState from that very record, so that every field the caller does
// not set (reserved bits included) stays as the port reported it. Time-outs are
// written as a whole record: a one-byte read then ends after the per-byte total.
// Every failure of a call is the false result; nothing here retries.
//
// The fast reply end reads several bytes per ReadFile, with the time-outs
// interval kGapMs, multiplier 0, constant wait: the call ends when the bytes
// asked for have come, when the line has paused for kGapMs after a byte, or
// when the wait is over (with nothing, if nothing came). Wine does not end a
// call on the first byte under MAXDWORD, MAXDWORD, wait, the other way to ask
// for this. The time-outs are put on the port only for such reads; a one-byte
// read or a reading of the time-outs puts the caller's own record back first.
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/system_serial.h"

namespace morvik {
namespace {

constexpr DWORD kGapMs = 2;

class Win32SerialDevice final : public SerialDevice {
 public:
  explicit Win32SerialDevice(HANDLE handle) : handle_(handle) {}
  ~Win32SerialDevice() override { CloseHandle(handle_); }

  bool GetState(LineSettings& s) override {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle_, &dcb)) return false;
    read_ = dcb;
    s.BaudRate = dcb.BaudRate;
    s.ByteSize = dcb.ByteSize;
    s.Parity = dcb.Parity;
    s.StopBits = dcb.StopBits;
    s.fBinary = dcb.fBinary;
    s.fParity = dcb.fParity;
    s.fOutxCtsFlow = dcb.fOutxCtsFlow;
    s.fOutxDsrFlow = dcb.fOutxDsrFlow;
    s.fDtrControl = dcb.fDtrControl;
    s.fDsrSensitivity = dcb.fDsrSensitivity;
    s.fTXContinueOnXoff = dcb.fTXContinueOnXoff;
    s.fOutX = dcb.fOutX;
    s.fInX = dcb.fInX;
    s.fErrorChar = dcb.fErrorChar;
    s.fNull = dcb.fNull;
    s.fRtsControl = dcb.fRtsControl;
    s.fAbortOnError = dcb.fAbortOnError;
    s.XonLim = dcb.XonLim;
    s.XoffLim = dcb.XoffLim;
    s.XonChar = dcb.XonChar;
    s.XoffChar = dcb.XoffChar;
    s.ErrorChar = dcb.ErrorChar;
    s.EofChar = dcb.EofChar;
    s.EvtChar = dcb.EvtChar;
    return true;
  }

  // Writes back the record last read by GetState, with the caller's fields;
  // the reserved bits and every field not named stay as the port reported them.
  bool SetState(const LineSettings& s) override {
    DCB dcb = read_;
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = s.BaudRate;
    dcb.ByteSize = s.ByteSize;
    dcb.Parity = s.Parity;
    dcb.StopBits = s.StopBits;
    dcb.fBinary = s.fBinary;
    dcb.fParity = s.fParity;
    dcb.fOutxCtsFlow = s.fOutxCtsFlow;
    dcb.fOutxDsrFlow = s.fOutxDsrFlow;
    dcb.fDtrControl = s.fDtrControl;
    dcb.fDsrSensitivity = s.fDsrSensitivity;
    dcb.fTXContinueOnXoff = s.fTXContinueOnXoff;
    dcb.fOutX = s.fOutX;
    dcb.fInX = s.fInX;
    dcb.fErrorChar = s.fErrorChar;
    dcb.fNull = s.fNull;
    dcb.fRtsControl = s.fRtsControl;
    dcb.fAbortOnError = s.fAbortOnError;
    dcb.XonLim = s.XonLim;
    dcb.XoffLim = s.XoffLim;
    dcb.XonChar = s.XonChar;
    dcb.XoffChar = s.XoffChar;
    dcb.ErrorChar = s.ErrorChar;
    dcb.EofChar = s.EofChar;
    dcb.EvtChar = s.EvtChar;
    return SetCommState(handle_, &dcb) != 0;
  }

  bool GetTimeouts(PortTimeouts& t) override {
    if (!RestoreTimeouts()) return false;
    COMMTIMEOUTS ct{};
    if (!GetCommTimeouts(handle_, &ct)) return false;
    t.ReadIntervalTimeout = ct.ReadIntervalTimeout;
    t.ReadTotalTimeoutMultiplier = ct.ReadTotalTimeoutMultiplier;
    t.ReadTotalTimeoutConstant = ct.ReadTotalTimeoutConstant;
    t.WriteTotalTimeoutMultiplier = ct.WriteTotalTimeoutMultiplier;
    t.WriteTotalTimeoutConstant = ct.WriteTotalTimeoutConstant;
    return true;
  }

  bool SetTimeouts(const PortTimeouts& t) override {
    COMMTIMEOUTS ct{};
    ct.ReadIntervalTimeout = t.ReadIntervalTimeout;
    ct.ReadTotalTimeoutMultiplier = t.ReadTotalTimeoutMultiplier;
    ct.ReadTotalTimeoutConstant = t.ReadTotalTimeoutConstant;
    ct.WriteTotalTimeoutMultiplier = t.WriteTotalTimeoutMultiplier;
    ct.WriteTotalTimeoutConstant = t.WriteTotalTimeoutConstant;
    if (!SetCommTimeouts(handle_, &ct)) return false;
    own_ = ct;
    fastWaitMs_.reset();
    return true;
  }

  bool WriteByte(std::uint8_t byte) override {
    DWORD written = 0;
    return WriteFile(handle_, &byte, 1, &written, nullptr) != 0;
  }

  bool ReadByte(std::uint8_t& byte, int& count) override {
    if (!RestoreTimeouts()) return false;
    DWORD received = 0;
    if (!ReadFile(handle_, &byte, 1, &received, nullptr)) return false;
    count = static_cast<int>(received);
    return true;
  }

  bool DiscardInput() override { return PurgeComm(handle_, PURGE_RXCLEAR) != 0; }

  bool ReadAvailable(std::span<std::uint8_t> buffer, std::uint32_t waitMs,
                     std::size_t& count) override {
    count = 0;
    if (fastWaitMs_ != waitMs) {
      COMMTIMEOUTS ct = own_;
      ct.ReadIntervalTimeout = kGapMs;
      ct.ReadTotalTimeoutMultiplier = 0;
      ct.ReadTotalTimeoutConstant = waitMs;
      if (!SetCommTimeouts(handle_, &ct)) return false;
      fastWaitMs_ = waitMs;
    }
    DWORD received = 0;
    if (!ReadFile(handle_, buffer.data(), static_cast<DWORD>(buffer.size()), &received, nullptr)) {
      return false;
    }
    count = received;
    return true;
  }

 private:
  bool RestoreTimeouts() {
    if (!fastWaitMs_) return true;
    if (!SetCommTimeouts(handle_, &own_)) return false;
    fastWaitMs_.reset();
    return true;
  }

  HANDLE handle_;
  DCB read_{};
  COMMTIMEOUTS own_{};                       // the caller's record, last set
  std::optional<std::uint32_t> fastWaitMs_;  // set while the fast time-outs are on
};

// "COM3" of "\\.\COM3": the part after the last backslash.
std::string PortName(std::string_view devicePath) {
  return std::string(devicePath.substr(devicePath.rfind('\\') + 1));
}

class Win32SerialPlatform final : public SerialPlatform {
 public:
  std::unique_ptr<SerialDevice> Open(std::string_view devicePath) override {
    const std::string path(devicePath);
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      NoteRefusal(devicePath, GetLastError());
      return nullptr;
    }
    return std::make_unique<Win32SerialDevice>(handle);
  }

  std::vector<RefusedDevice> TakeRefusals() override { return std::exchange(refusals_, {}); }

  // The kernel device behind the port name ("\Device\Serial0"), empty when
  // the name maps to nothing.
  std::string DeviceName(std::string_view devicePath) override {
    const std::string name = PortName(devicePath);
    std::array<char, 512> target{};
    return QueryDosDeviceA(name.c_str(), target.data(), static_cast<DWORD>(target.size())) != 0
               ? std::string(target.data())
               : std::string();
  }

 private:
  // A port that another program holds fails with access denied (a sharing
  // violation under Wine); one that does not exist, with file not found.
  void NoteRefusal(std::string_view devicePath, DWORD error) {
    if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
      refusals_.push_back({PortName(devicePath), RefusedDevice::Reason::kBusy});
    } else if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      refusals_.push_back({PortName(devicePath), RefusedDevice::Reason::kMissing});
    }
  }

  std::vector<RefusedDevice> refusals_;
};

}  // namespace

std::unique_ptr<SerialPlatform> MakeSystemSerialPlatform() {
  return std::make_unique<Win32SerialPlatform>();
}

}  // namespace morvik
