// The main window's side of the writer link: its port, the writer's identity,
// the shared reply buffer, the one exchange operation, the start-up sequence and
// the port scan. The main window class derives from this, so these are its own
// operations; they reach the window only through WindowServices.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// How the link decides that a reply has ended; chosen once per link, before
// connecting. The window always uses the silence end.
enum class ReplyEnd {
  // 200 ms without a byte, read one byte per call. A collection full at 256
  // bytes hears the writer out and drops the rest, as below.
  kSilence,
  // The first byte within 200 ms as above, then the whole frame its length
  // byte announces, then kReplyGuardMs without a byte. A byte within the guard
  // (or already read beyond the frame) means the writer is still talking: the
  // exchange falls back to the silence end. A collection full at 256 bytes
  // hears the writer out and drops the rest, so none of it meets a later request.
  kFrameAndGuard,
};

// The guard after a complete frame: 5 ms, about 10 byte times at 19200 baud
// (0.52 ms each). Bytes that follow the CR in the same burst reach the reader
// within a byte time on a pseudo-terminal, and within the 4-character receive
// time-out of a UART's FIFO (2.1 ms) plus scheduling on a native port. A
// USB-serial adapter whose latency timer (commonly 16 ms) splits the burst
// right after the CR delivers the rest later than any guard worth having (a
// 16 ms guard costs a second per card): those late bytes meet the discard
// before the next request, or spoil the next reply's frame, and are reported.
inline constexpr std::uint32_t kReplyGuardMs = 5;
inline constexpr std::uint32_t kReplySilenceMs = 200;

// "MRVKVer=%02X%02X, MRVKDate=%02X%02X%02X, MRVKCID=%02X%02X" from payload bytes 1-7
// of an information reply (the frame from offset 0).
std::string VersionReport(Bytes informationReply);
// Four upper-case hexadecimal digits of the customer ID.
std::string CustomerIdText(std::span<const std::uint8_t, 2> cid);
// The customer ID echo carrying the given CID, with its sum recomputed.
std::array<std::uint8_t, 11> CustomerIdEcho(std::span<const std::uint8_t, 2> cid);
// Why a port tried gave no writer, as every command of the tool says it.
enum class PortProblem { kNoPermission, kBusy, kNoSuchPort, kNotSerial, kNoAnswer, kDamaged };

struct TriedPort {
  std::string port;  // "COM4"
  PortProblem problem;
  std::optional<RefusedDevice> refused;  // how the platform refused to open it, when it did
};

// A device refused for permission whose group may read and write it: joining
// that group helps.
bool GroupMayOpen(const RefusedDevice& device);
// What lets the operator open a device refused for permission: "join the group
// dialout" when that group may read and write it (or the mode is unknown),
// else "only root may open it: ask the administrator to give it to the group
// dialout" (its owner in place of root when the owner may).
std::string PermissionAdvice(const RefusedDevice& device);

// "no permission (join the group dialout)", "in use by another program" (":
// minicom (pid 4242)" when the system names it), "no
// such port", "not a serial device", "nothing answered", "replies arrive
// damaged: check the cable and what runs beside it".
std::string PortProblemText(const TriedPort& tried);
// "no-permission", "busy", "no-such-port", "not-serial", "no-answer",
// "damaged": for JSON.
std::string_view PortProblemKey(PortProblem problem);

// The message shown when no writer answered on any port; its detail names the
// devices that exist but could not be opened (on POSIX) and the ports whose
// replies arrive damaged, and what to do about them.
OperatorMessage NoWriterMessage(std::span<const RefusedDevice> refused, std::span<const std::string> damagedPorts);

// A start-up that failed on something heard, not on silence: a damaged reply,
// a refusal, or a whole reply of the wrong shape. A writer answering badly.
bool IsStartUpDamage(ReplyCondition fault);

// How the writer's start-up sequence ended.
enum class HandshakeResult {
  kAnswered,             // the writer answered the whole sequence
  kFirstTimeUnanswered,  // the first request went unanswered for the first time: try again
  kFailed,
};

// Sees every frame the exchange moves (for a trace). A reply is empty when
// nothing arrived before the silence that ends it.
class ExchangeObserver {
 public:
  virtual ~ExchangeObserver() = default;
  virtual void OnSent(std::string_view port, Bytes request) = 0;
  virtual void OnReceived(std::string_view port, Bytes reply) = 0;
};

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
  // (up to 256 bytes, ended as replyEnd() says). The reply's payload length,
  // or -1; lastReply() tells why not.
  int Exchange(Bytes request, std::span<std::uint8_t> reply);
  // What the last exchange heard: an answer, a refusal, silence, or how the
  // reply was damaged.
  ReplyCondition lastReply() const { return lastReply_; }
  // The start-up sequence on the open port.
  HandshakeResult Handshake();
  // The start-up sequence on this port, already open, run once more on a
  // fresh open when its first request went unanswered. True when the writer
  // answered; otherwise the port is closed.
  bool HandshakeOpenPort(std::string_view portName);
  // Opens this port and hand-shakes on it as above. False (port closed) when
  // no writer answers, and why is kept among the ports tried.
  bool ConnectOnPort(std::string_view portName);
  // Why the start-up sequence on the port last tried did not end in an answer:
  // a damaged reply on any of its tries outweighs silence (something there
  // talks); kAnswered when it did.
  ReplyCondition startUpFault() const { return startUpFault_; }
  // The ports tried since the last scan began (or since these operations were
  // made) where no writer answered, each with the latest reason, in the order
  // first tried.
  const std::vector<TriedPort>& triedPorts() const { return triedPorts_; }
  // Scans COM1-COM31 until a writer answers; asks Retry/Cancel after a full
  // scan; Cancel ends the process with status 1.
  void ConnectWriter();
  // Narrows the scan of ConnectWriter to COMfirst..COMlast (1..31 by default).
  void LimitScan(int first, int last) {
    scanFirst_ = first;
    scanLast_ = last;
  }
  // Handler of WM_CONNECT_WRITER.
  std::intptr_t OnConnectRequest(std::uintptr_t wParam, std::intptr_t lParam);

  void SetReplyEnd(ReplyEnd end) { replyEnd_ = end; }
  ReplyEnd replyEnd() const { return replyEnd_; }

  CSerialCom& port() { return port_; }
  // The last exchange could not even send its request: the line is gone.
  bool lastSendFailed() const { return lastSendFailed_; }
  // The last exchange heard bytes that were no whole frame: noise on the line
  // rather than an answer (a whole frame, even one refusing, is an answer).
  bool lastReplyDamaged() const { return IsDamagedReply(lastReply_); }
  const WriterIdentity& identity() const { return identity_; }
  // The customer ID in force for content: the same two bytes as identity's CID.
  std::array<std::uint8_t, 2>& customerId() { return identity_.CID; }
  const std::string& customerIdEntry() const { return customerIdEntry_; }
  // The port the writer was found on ("COM3"), empty before.
  const std::string& connectedPort() const { return connectedPort_; }
  std::span<std::uint8_t, kSharedReplyBufferSize> sharedReplyBuffer() { return replyBuffer_; }
  WindowServices& window() { return window_; }
  void SetExchangeObserver(ExchangeObserver* observer) { observer_ = observer; }

 protected:
  std::string customerIdEntry_;

 private:
  std::size_t CollectReply(std::span<std::uint8_t> reply);
  std::size_t CollectUntilSilence(std::span<std::uint8_t> reply);
  std::size_t CollectFrameAndGuard(std::span<std::uint8_t> reply);
  void DropUntilSilence();
  // Why the port just tried has no writer: the platform's refusal, else a
  // device that would not take a serial port's settings, or silence.
  void NoteTried(std::string_view portName, bool opened);
  std::size_t ReadToDrop(std::span<std::uint8_t> buffer);
  HandshakeResult FailStartUp(ReplyCondition fault);

  SerialPlatform& platform_;
  std::string connectedPort_;
  WindowServices& window_;
  Clock& clock_;
  CSerialCom port_;
  WriterIdentity identity_;
  std::array<std::uint8_t, kSharedReplyBufferSize> replyBuffer_{};
  bool retryMark_ = false;
  ReplyEnd replyEnd_ = ReplyEnd::kSilence;
  bool lastSendFailed_ = false;
  ReplyCondition lastReply_ = ReplyCondition::kSilence;
  ReplyCondition startUpFault_ = ReplyCondition::kAnswered;
  int scanFirst_ = 1;
  int scanLast_ = kComPortCount;
  std::string openPortName_;
  std::vector<TriedPort> triedPorts_;
  ExchangeObserver* observer_ = nullptr;
};

}  // namespace morvik
