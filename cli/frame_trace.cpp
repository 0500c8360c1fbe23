#include "cli/frame_trace.h"

#include <cstdio>

namespace morvik {

void FrameTrace::OnSent(std::string_view port, Bytes request) { Line(port, '>', request, {}); }

void FrameTrace::OnReceived(std::string_view port, Bytes reply) {
  if (reply.empty()) return Line(port, '<', reply, "(time-out: nothing within 200 ms)");
  Line(port, '<', reply, CheckFrame(reply) ? "" : "(not a whole frame)");
}

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
