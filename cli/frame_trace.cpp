#include "cli/frame_trace.h"

#include <cstdio>

namespace morvik {

void FrameTrace::OnSent(std::string_view port, Bytes request) { Line(port, '>', request, {}); }

namespace {

std::string Hex2(unsigned value) {
  char text[4];
  std::snprintf(text, sizeof text, "%02X", value & 0xFF);
  return text;
}

}  // namespace

std::string ReplyNote(Bytes reply) {
  switch (ClassifyReply(reply)) {
    case ReplyCondition::kAnswered:
    case ReplyCondition::kRefused: return {};
    case ReplyCondition::kSilence: return "(time-out: nothing within 200 ms)";
    case ReplyCondition::kBadSum: {
      const std::size_t sumAt = AnnouncedFrameLength(reply) - 2;
      return "(whole frame, wrong checksum: " + Hex2(reply[sumAt]) + " where the bytes sum to " +
             Hex2(FrameSum(reply.first(sumAt))) + ")";
    }
    case ReplyCondition::kBadLength:
      return "(the length byte " + Hex2(reply[3]) + " does not match where the frame ends)";
    case ReplyCondition::kCutShort:
      return "(cut short: " + std::to_string(reply.size()) + " bytes of a frame" +
             (reply.size() < kFrameHead ? "" : " of " + std::to_string(AnnouncedFrameLength(reply))) + ")";
    case ReplyCondition::kNoise: return "(not a frame: no STX 00 at the start)";
  }
  return {};
}

void FrameTrace::OnReceived(std::string_view port, Bytes reply) { Line(port, '<', reply, ReplyNote(reply)); }

void FrameTrace::OnResend(std::string_view port, int block, int attempt) {
  Line(port, '*', {}, "resend for block " + std::to_string(block) + ", try " + std::to_string(attempt));
}

void FrameTrace::Line(std::string_view port, char direction, Bytes bytes, std::string_view note) {
  char head[48];
  std::snprintf(head, sizeof head, "%.3f ", static_cast<double>(clock_.NowMs() - startMs_) / 1000);
  std::string line = head + std::string(port) + ' ' + direction;
  for (const std::uint8_t byte : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", byte);
    line += hex;
  }
  if (!note.empty()) line += ' ' + std::string(note);
  sink_(line + '\n');
}

}  // namespace morvik
