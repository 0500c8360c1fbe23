#include "link/writer_link.h"

#include <algorithm>
#include <cstdio>

#include "window/control_ids.h"

namespace morvik {
namespace {

constexpr char kNoWriterText[] = "Morvik ICCard Writerが接続されていません。";
constexpr char kNoWriterAdvice[] = "接続を確認して再試行ボタンを押してください";
constexpr char kErrorCaption[] = "Error";

constexpr std::uint32_t kWaitBeforeInformation = 500;
constexpr std::uint32_t kWaitBefore7F = 100;

std::string PortName(int number) { return "COM" + std::to_string(number); }

// The next read of a reply under the frame end: how many bytes it asks for
// (the head, then the rest of the announced frame, so that the read returns
// with the CR; after that whatever room is left) and how long it waits for
// the first of them.
struct FrameRead {
  std::size_t want;
  std::uint32_t waitMs;
};

FrameRead NextFrameRead(Bytes received, std::size_t limit) {
  const std::size_t have = received.size();
  const std::size_t room = limit - have;
  if (have < kFrameHead) return {std::min(kFrameHead - have, room), kReplySilenceMs};
  const std::size_t announced = AnnouncedFrameLength(received);
  if (announced > have) return {std::min(announced - have, room), kReplySilenceMs};
  if (announced == have) return {room, kReplyGuardMs};
  return {room, kReplySilenceMs};  // no frame announced, or bytes beyond it
}

// The groups whose members may open the refused devices, or "dialout など"
// when none is known.
std::string OwnerGroups(std::span<const RefusedDevice> refused) {
  std::string groups;
  for (const RefusedDevice& device : refused) {
    if (device.group.empty() || groups.find(device.group) != std::string::npos) continue;
    if (device.mode && !GroupMayOpen(device)) continue;
    groups += (groups.empty() ? "" : ", ") + device.group;
  }
  return groups.empty() ? "dialout など" : groups;
}

std::string RefusalNote(const RefusedDevice& device) {
  if (device.reason == RefusedDevice::Reason::kPermission) return "（権限なし）";
  return device.holders.empty() ? "（使用中）" : "（使用中：" + device.holders + "）";
}

}  // namespace

std::string VersionReport(Bytes reply) {
  if (reply.size() < 12) return {};
  char text[300];
  std::snprintf(text, sizeof text, "MRVKVer=%02X%02X, MRVKDate=%02X%02X%02X, MRVKCID=%02X%02X",
                reply[5], reply[6], reply[7], reply[8], reply[9], reply[10], reply[11]);
  return text;
}

std::string CustomerIdText(std::span<const std::uint8_t, 2> cid) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X", cid[0], cid[1]);
  return text;
}

std::array<std::uint8_t, 11> CustomerIdEcho(std::span<const std::uint8_t, 2> cid) {
  std::array<std::uint8_t, 11> echo = kCustomerIdEcho;
  echo[6] = cid[0];
  echo[7] = cid[1];
  echo[9] = FrameSum(std::span(echo).first(9));
  return echo;
}

namespace {

struct PortProblemWords {
  PortProblem problem;
  std::string_view key;
  std::string_view text;
};

constexpr PortProblemWords kPortProblems[] = {
    {PortProblem::kNoPermission, "no-permission", "no permission ("},
    {PortProblem::kBusy, "busy", "in use by another program"},
    {PortProblem::kNoSuchPort, "no-such-port", "no such port"},
    {PortProblem::kNotSerial, "not-serial", "not a serial device"},
    {PortProblem::kNoAnswer, "no-answer", "nothing answered"},
    {PortProblem::kDamaged, "damaged", "replies arrive damaged: check the cable and what runs beside it"},
};

const PortProblemWords& WordsOf(PortProblem problem) {
  for (const PortProblemWords& words : kPortProblems) {
    if (words.problem == problem) return words;
  }
  return kPortProblems[0];
}

PortProblem ProblemOf(RefusedDevice::Reason reason) {
  switch (reason) {
    case RefusedDevice::Reason::kPermission: return PortProblem::kNoPermission;
    case RefusedDevice::Reason::kBusy: return PortProblem::kBusy;
    case RefusedDevice::Reason::kMissing: return PortProblem::kNoSuchPort;
  }
  return PortProblem::kNoSuchPort;
}

}  // namespace

bool IsStartUpDamage(ReplyCondition fault) {
  return fault != ReplyCondition::kAnswered && fault != ReplyCondition::kSilence;
}

bool GroupMayOpen(const RefusedDevice& device) {
  return device.mode && (*device.mode & 060) == 060 && !device.group.empty();
}

std::string PermissionAdvice(const RefusedDevice& device) {
  if (!device.mode || GroupMayOpen(device)) {
    return "join the group " + (device.group.empty() ? std::string("that owns the device") : device.group);
  }
  const bool ownerMayOpen = (*device.mode & 0600) == 0600 && !device.owner.empty();
  return "only " + (ownerMayOpen ? device.owner : std::string("root")) +
         " may open it: ask the administrator to give it to the group dialout";
}

std::string PortProblemText(const TriedPort& tried) {
  const std::string text(WordsOf(tried.problem).text);
  if (tried.problem == PortProblem::kBusy && tried.refused && !tried.refused->holders.empty()) {
    return text + ": " + tried.refused->holders;
  }
  if (tried.problem != PortProblem::kNoPermission) return text;
  return text + PermissionAdvice(tried.refused.value_or(RefusedDevice{{}, RefusedDevice::Reason::kPermission})) + ")";
}

std::string_view PortProblemKey(PortProblem problem) { return WordsOf(problem).key; }

namespace {

// "応答が壊れて届くポート: COM3, COM5。…": ports where something answers badly.
std::string DamagedPortsDetail(std::span<const std::string> damagedPorts) {
  std::string names;
  for (const std::string& port : damagedPorts) names += (names.empty() ? "" : ", ") + port;
  return "応答が壊れて届くポート: " + names + "。ケーブルと、そばで動いている機器を確認してください。";
}

}  // namespace

OperatorMessage NoWriterMessage(std::span<const RefusedDevice> refused, std::span<const std::string> damagedPorts) {
  OperatorMessage message(kNoWriterText, kErrorCaption, kMbRetryCancelError,
                          {MessageKind::kNoWriter, {}});
  message.advice = kNoWriterAdvice;
  if (!damagedPorts.empty()) message.detail = DamagedPortsDetail(damagedPorts);
  if (refused.empty()) return message;
  std::string names;
  bool permission = false;
  bool rootOnly = false;
  bool busy = false;
  for (const RefusedDevice& device : refused) {
    if (!names.empty()) names += ", ";
    const bool isPermission = device.reason == RefusedDevice::Reason::kPermission;
    names += device.device + RefusalNote(device);
    permission = permission || isPermission;
    rootOnly = rootOnly || (isPermission && device.mode && !GroupMayOpen(device));
    busy = busy || !isPermission;
  }
  std::string advice;
  if (permission && rootOnly) advice += "管理者に、デバイスをグループ dialout に与えるよう依頼してください。";
  if (permission && !rootOnly) advice += "デバイスの所有グループ（" + OwnerGroups(refused) + "）に参加してください。";
  if (busy) advice += "ポートを使用中の他のプログラムを終了してください。";
  message.detail = "開けなかったポート: " + names + "。" + advice + message.detail;
  return message;
}

WriterLink::WriterLink(SerialPlatform& platform, WindowServices& window, Clock& clock)
    : platform_(platform), window_(window), clock_(clock), port_(platform) {}

bool WriterLink::OpenPort(std::string_view portName) {
  if (port_.Open(portName) && port_.SetState(19200, 8, 0, 0, 0) &&
      port_.SetTimeouts(200, 200, 0, 0, 0)) {
    openPortName_ = portName;
    return true;
  }
  port_.Close();
  return false;
}

std::size_t WriterLink::CollectReply(std::span<std::uint8_t> reply) {
  reply[0] = 0;
  return replyEnd_ == ReplyEnd::kSilence ? CollectUntilSilence(reply) : CollectFrameAndGuard(reply);
}

std::size_t WriterLink::CollectUntilSilence(std::span<std::uint8_t> reply) {
  const std::size_t limit = std::min(reply.size(), kReplyCollectionLimit);
  std::size_t collected = 0;
  std::uint8_t byte = 0;
  for (;;) {
    const bool received = collected < limit && port_.ReadByte(byte);
    window_.KeepPainting();  // also after a silent read: a scan waits 200 ms per port
    if (!received) break;
    reply[collected++] = byte;
  }
  if (collected == limit) DropUntilSilence();
  return collected;
}

std::size_t WriterLink::CollectFrameAndGuard(std::span<std::uint8_t> reply) {
  const std::size_t limit = std::min(reply.size(), kReplyCollectionLimit);
  std::size_t collected = 0;
  while (collected < limit) {
    const FrameRead next = NextFrameRead(reply.first(collected), limit);
    std::size_t count = 0;
    const bool received =
        port_.ReadAvailable(reply.subspan(collected, next.want), next.waitMs, count) && count > 0;
    window_.KeepPainting();
    if (!received) break;
    collected += count;
  }
  if (collected == limit) DropUntilSilence();
  return collected;
}

// A writer still talking when the collection is full says nothing that a
// later request asked for; the discard before the next request would miss
// the bytes still on the line, so they are read and dropped here until the
// line is quiet (at most kMaxDropped bytes, against a line that never is).
void WriterLink::DropUntilSilence() {
  constexpr std::size_t kMaxDropped = 4 * kReplyCollectionLimit;
  std::array<std::uint8_t, 64> dropped{};
  for (std::size_t total = 0; total < kMaxDropped;) {
    const std::size_t count = ReadToDrop(dropped);
    window_.KeepPainting();
    if (count == 0) return;
    total += count;
  }
}

// Read as the reply end reads: one byte per call by default.
std::size_t WriterLink::ReadToDrop(std::span<std::uint8_t> buffer) {
  if (replyEnd_ == ReplyEnd::kSilence) return port_.ReadByte(buffer[0]) ? 1 : 0;
  std::size_t count = 0;
  return port_.ReadAvailable(buffer, kReplySilenceMs, count) ? count : 0;
}

int WriterLink::Exchange(Bytes request, std::span<std::uint8_t> reply) {
  const std::size_t length = FrameLength(request);
  if (length == 0 || reply.empty()) return -1;
  lastSendFailed_ = false;
  lastReply_ = ReplyCondition::kSilence;
  // Whatever is still waiting belongs to an earlier request (the tail of a
  // reply longer than the collection limit, say): a reply must come after its
  // request to count.
  if (!port_.DiscardInput()) {
    lastSendFailed_ = true;
    return -1;
  }
  for (std::size_t i = 0; i < length; ++i) {
    if (!port_.WriteByte(request[i])) {
      lastSendFailed_ = true;
      return -1;
    }
  }
  if (observer_ != nullptr) observer_->OnSent(openPortName_, request.first(length));
  const Bytes received = reply.first(CollectReply(reply));
  if (observer_ != nullptr) observer_->OnReceived(openPortName_, received);
  lastReply_ = ClassifyReply(received);
  if (lastReply_ != ReplyCondition::kAnswered) return -1;
  return received[3];
}

// The first damage heard outweighs silence on a later try.
HandshakeResult WriterLink::FailStartUp(ReplyCondition fault) {
  if (!IsStartUpDamage(startUpFault_)) startUpFault_ = fault;
  return HandshakeResult::kFailed;
}

HandshakeResult WriterLink::Handshake() {
  const std::span<std::uint8_t> reply = replyBuffer_;
  clock_.Sleep(kWaitBeforeInformation);
  if (Exchange(kInformationRequest, reply) < 0) {
    FailStartUp(lastReply_);
    retryMark_ = !retryMark_;
    return retryMark_ ? HandshakeResult::kFirstTimeUnanswered : HandshakeResult::kFailed;
  }
  retryMark_ = false;
  // A whole reply of the wrong shape is a writer answering badly, as a damaged one is.
  if (!std::equal(kInformationReplyHead.begin(), kInformationReplyHead.end(), reply.begin())) {
    return FailStartUp(ReplyCondition::kBadLength);
  }
  identity_.Ver = {reply[5], reply[6]};
  identity_.Date = {reply[7], reply[8], reply[9]};
  identity_.CID = {reply[10], reply[11]};
  window_.SetControlText(kIdcReport, VersionReport(reply));

  if (Exchange(CustomerIdEcho(identity_.CID), reply) < 0) return FailStartUp(lastReply_);
  if (Exchange(kF2Request, reply) < 0) return FailStartUp(lastReply_);
  clock_.Sleep(kWaitBefore7F);
  Exchange(k7FRequest, reply);
  if (Exchange(k7FRequest, reply) < 0) return FailStartUp(lastReply_);
  if (!std::equal(kBareSuccessReply.begin(), kBareSuccessReply.end(), reply.begin())) {
    return FailStartUp(ReplyCondition::kBadLength);
  }
  startUpFault_ = ReplyCondition::kAnswered;
  return HandshakeResult::kAnswered;
}

bool WriterLink::HandshakeOpenPort(std::string_view portName) {
  HandshakeResult result = Handshake();
  if (result == HandshakeResult::kFirstTimeUnanswered) {
    port_.Close();
    result = OpenPort(portName) ? Handshake() : HandshakeResult::kFailed;
  }
  if (result != HandshakeResult::kAnswered) port_.Close();
  return result == HandshakeResult::kAnswered;
}

void WriterLink::NoteTried(std::string_view portName, bool opened) {
  std::vector<RefusedDevice> refusals = platform_.TakeRefusals();
  const PortProblem unanswered = IsStartUpDamage(startUpFault_) ? PortProblem::kDamaged : PortProblem::kNoAnswer;
  TriedPort tried{std::string(portName), opened ? unanswered : PortProblem::kNotSerial, std::nullopt};
  if (!refusals.empty()) tried = {tried.port, ProblemOf(refusals.back().reason), refusals.back()};
  const auto before = std::ranges::find(triedPorts_, tried.port, &TriedPort::port);
  if (before == triedPorts_.end()) {
    triedPorts_.push_back(std::move(tried));
  } else {
    *before = std::move(tried);
  }
}

bool WriterLink::ConnectOnPort(std::string_view portName) {
  platform_.TakeRefusals();
  startUpFault_ = ReplyCondition::kAnswered;
  const bool opened = OpenPort(portName);
  if (!opened || !HandshakeOpenPort(portName)) {
    NoteTried(portName, opened);
    return false;
  }
  connectedPort_ = std::string(portName);
  customerIdEntry_ = CustomerIdText(identity_.CID);
  window_.SetControlText(kIdcCustomerId, customerIdEntry_);
  return true;
}

void WriterLink::ConnectWriter() {
  port_.Close();
  for (;;) {
    triedPorts_.clear();
    for (int number = scanFirst_; number <= scanLast_; ++number) {
      if (ConnectOnPort(PortName(number))) return;
    }
    std::vector<RefusedDevice> refused;
    std::vector<std::string> damaged;
    for (const TriedPort& tried : triedPorts_) {
      const bool fixable = tried.problem == PortProblem::kNoPermission || tried.problem == PortProblem::kBusy;
      if (fixable && tried.refused) refused.push_back(*tried.refused);
      if (tried.problem == PortProblem::kDamaged) damaged.push_back(tried.port);
    }
    if (window_.ShowMessage(NoWriterMessage(refused, damaged)) == kIdCancel) {
      window_.ExitProcess(1);
      return;
    }
  }
}

std::intptr_t WriterLink::OnConnectRequest(std::uintptr_t, std::intptr_t) {
  ConnectWriter();
  return 0;
}

}  // namespace morvik
