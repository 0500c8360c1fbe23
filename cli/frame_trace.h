// --trace: one line per frame, seconds since start, port, > sent or <
// received, the bytes in hexadecimal; and one marked * before each resend.
// Each line is handed over whole, so
// the traces of several writers can share one stream.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "link/clock.h"
#include "card/card_operations.h"

namespace morvik {

// What the trace adds after a reply's bytes: nothing for a whole frame, else
// the silence or how the frame is damaged ("(whole frame, wrong checksum: 36
// where the bytes sum to 35)").
std::string ReplyNote(Bytes reply);

class FrameTrace final : public OperationsObserver {
 public:
  using LineSink = std::function<void(const std::string& line)>;
  FrameTrace(Clock& clock, LineSink sink) : clock_(clock), sink_(std::move(sink)), startMs_(clock.NowMs()) {}

  void OnSent(std::string_view port, Bytes request) override;
  void OnReceived(std::string_view port, Bytes reply) override;
  void OnResend(std::string_view port, int block, int attempt) override;

 private:
  void Line(std::string_view port, char direction, Bytes bytes, std::string_view note);

  Clock& clock_;
  LineSink sink_;
  std::int64_t startMs_;
};

}  // namespace morvik
