// The main window's side of the writer link: its port, the writer's identity,
// the shared reply buffer, the one exchange operation, the start-up sequence and
// the port scan. The main window class derives from this, so these are its own
// operations; they reach the window only through WindowServices.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "link/clock.h"
#include "link/serial_com.h"
#include "link/writer_frame.h"
#include "window/window_services.h"

namespace morvik {

// The writer's identity, all bytes 0 until the first good information reply.
struct WriterIdentity {
  std::array<std::uint8_t, 2> Ver{};
  std::array<std::uint8_t, 3> Date{};
  std::array<std::uint8_t, 2> CID{};  // the customer ID, most significant byte first
};

// Replies are collected up to this many bytes; the rest stays in the port.
inline constexpr std::size_t kReplyCollectionLimit = 256;
inline constexpr std::size_t kSharedReplyBufferSize = 1024;
inline constexpr int kComPortCount = 31;

// "MRVKVer=%02X%02X, MRVKDate=%02X%02X%02X, MRVKCID=%02X%02X" from payload bytes 1-7
// of an information reply (the frame from offset 0).
std::string VersionReport(Bytes informationReply);
// Four upper-case hexadecimal digits of the customer ID.
std::string CustomerIdText(std::span<const std::uint8_t, 2> cid);
// The customer ID echo carrying the given CID, with its sum recomputed.
std::array<std::uint8_t, 11> CustomerIdEcho(std::span<const std::uint8_t, 2> cid);
// The message shown when no writer answered on any port; on POSIX it names the
// devices that exist but could not be opened, and what to do about them.
std::string NoWriterMessage(std::span<const RefusedDevice> refused);

class WriterLink {
 public:
  WriterLink(SerialPlatform& platform, WindowServices& window, Clock& clock);
  virtual ~WriterLink() = default;
  WriterLink(const WriterLink&) = delete;
  WriterLink& operator=(const WriterLink&) = delete;

  // Open, 19200 8N1 without flow control, time-outs 200/200/0/0/0. On any
  // failure the port is closed and the result is false.
  bool OpenPort(std::string_view portName);
  // Discards stale input, sends a valid request frame and collects the reply
  // (up to 256 bytes, ended by 200 ms of silence). The reply's payload length,
  // or -1.
  int Exchange(Bytes request, std::span<std::uint8_t> reply);
  // 1: the writer answered the whole start-up sequence; 2: the first request
  // went unanswered for the first time (try this port again); 0: failure.
  int Handshake();
  // Scans COM1-COM31 until a writer answers; asks Retry/Cancel after a full
  // scan; Cancel ends the process with status 1.
  void ConnectWriter();
  // Handler of WM_CONNECT_WRITER.
  std::intptr_t OnConnectRequest(std::uintptr_t wParam, std::intptr_t lParam);

  CSerialCom& port() { return port_; }
  const WriterIdentity& identity() const { return identity_; }
  // The customer ID in force for content: the same two bytes as identity's CID.
  std::array<std::uint8_t, 2>& customerId() { return identity_.CID; }
  const std::string& customerIdEntry() const { return customerIdEntry_; }
  // The port the writer was found on ("COM3"), empty before.
  const std::string& connectedPort() const { return connectedPort_; }
  std::span<std::uint8_t, kSharedReplyBufferSize> sharedReplyBuffer() { return replyBuffer_; }
  WindowServices& window() { return window_; }

 protected:
  std::string customerIdEntry_;

 private:
  bool CollectReply(std::span<std::uint8_t> reply, std::size_t& collected);

  SerialPlatform& platform_;
  std::string connectedPort_;
  WindowServices& window_;
  Clock& clock_;
  CSerialCom port_;
  WriterIdentity identity_;
  std::array<std::uint8_t, kSharedReplyBufferSize> replyBuffer_{};
  bool retryMark_ = false;
};

}  // namespace morvik
