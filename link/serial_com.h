// The writer's serial port: one device, opened by its port name, moving single
// bytes. Every result is true for success and false for failure; nothing here
// shows a message or retries.
#pragma once

#include <cstdint>
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "link/serial_device.h"

namespace morvik {

class CSerialCom {
 public:
  explicit CSerialCom(SerialPlatform& platform);
  virtual ~CSerialCom();
  CSerialCom(const CSerialCom&) = delete;
  CSerialCom& operator=(const CSerialCom&) = delete;

  // Opens "\\.\" followed by the port name. Expects the port to be closed.
  bool Open(std::string_view portName);
  bool SetState(std::uint32_t baudRate, std::uint8_t byteSize, std::uint8_t parityCheck,
                std::uint8_t parity, std::uint8_t stopBits);
  bool SetTimeouts(std::uint32_t readInterval, std::uint32_t readTotalMultiplier,
                   std::uint32_t readTotalConstant, std::uint32_t writeTotalMultiplier,
                   std::uint32_t writeTotalConstant);
  bool WriteByte(std::uint8_t byte);
  // Sets byte to 0 first; true only when exactly one byte arrived in time.
  bool ReadByte(std::uint8_t& byte);
  // Drops the input that has arrived but was not read.
  bool DiscardInput();
  // Whatever has arrived, up to into.size() bytes, waiting at most waitMs for
  // the first one. count: the bytes stored, 0 when nothing came in time.
  bool ReadAvailable(std::span<std::uint8_t> into, std::uint32_t waitMs, std::size_t& count);
  void Close();

  bool IsOpen() const { return device_ != nullptr; }

  // "\\.\" followed by the port name: \\.\COM3 for COM3.
  static std::string DevicePath(std::string_view portName);

 private:
  SerialPlatform& platform_;
  std::unique_ptr<SerialDevice> device_;
};

}  // namespace morvik
