#include "link/serial_com.h"

namespace morvik {

CSerialCom::CSerialCom(SerialPlatform& platform) : platform_(platform) {}

CSerialCom::~CSerialCom() { Close(); }

std::string CSerialCom::DevicePath(std::string_view portName) {
  return std::string("\\\\.\\") + std::string(portName);
}

bool CSerialCom::Open(std::string_view portName) {
  device_ = platform_.Open(DevicePath(portName));
  return device_ != nullptr;
}

bool CSerialCom::SetState(std::uint32_t baudRate, std::uint8_t byteSize, std::uint8_t parityCheck,
                          std::uint8_t parity, std::uint8_t stopBits) {
  if (!device_) return false;
  LineSettings dcb;
  if (!device_->GetState(dcb)) return false;
  dcb.BaudRate = baudRate;
  dcb.ByteSize = byteSize;
  dcb.Parity = parity;
  dcb.StopBits = stopBits;
  dcb.fParity = parityCheck & 1u;
  dcb.fBinary = 1;
  dcb.fOutxCtsFlow = 0;
  dcb.fOutxDsrFlow = 0;
  dcb.fDtrControl = 0;
  dcb.fDsrSensitivity = 0;
  dcb.fOutX = 0;
  dcb.fInX = 0;
  dcb.fNull = 0;
  dcb.fRtsControl = 0;
  dcb.fAbortOnError = 0;
  return device_->SetState(dcb);
}

bool CSerialCom::SetTimeouts(std::uint32_t readInterval, std::uint32_t readTotalMultiplier,
                             std::uint32_t readTotalConstant, std::uint32_t writeTotalMultiplier,
                             std::uint32_t writeTotalConstant) {
  if (!device_) return false;
  PortTimeouts timeouts;
  if (!device_->GetTimeouts(timeouts)) return false;
  timeouts.ReadIntervalTimeout = readInterval;
  timeouts.ReadTotalTimeoutMultiplier = readTotalMultiplier;
  timeouts.ReadTotalTimeoutConstant = readTotalConstant;
  timeouts.WriteTotalTimeoutMultiplier = writeTotalMultiplier;
  timeouts.WriteTotalTimeoutConstant = writeTotalConstant;
  return device_->SetTimeouts(timeouts);
}

bool CSerialCom::WriteByte(std::uint8_t byte) { return device_ && device_->WriteByte(byte); }

bool CSerialCom::ReadByte(std::uint8_t& byte) {
  byte = 0;
  if (!device_) return false;
  std::uint8_t received = 0;
  int count = 0;
  if (!device_->ReadByte(received, count) || count != 1) return false;
  byte = received;
  return true;
}

bool CSerialCom::DiscardInput() { return device_ && device_->DiscardInput(); }

bool CSerialCom::ReadAvailable(std::span<std::uint8_t> into, std::uint32_t waitMs,
                               std::size_t& count) {
  count = 0;
  if (!device_ || into.empty()) return false;
  if (device_->ReadAvailable(into, waitMs, count) && count <= into.size()) return true;
  count = 0;
  return false;
}

void CSerialCom::Close() { device_.reset(); }

}  // namespace morvik
