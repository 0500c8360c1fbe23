// Time as the writer link sees it: the waits of the start-up sequence.
// The real clock sleeps; the simulator's loopback runs on virtual time so that
// tests pay nothing for a wait or a 200 ms silence.
#pragma once

#include <cstdint>

namespace morvik {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  virtual std::int64_t NowMs() = 0;
};

// The process's steady clock.
class SystemClock final : public Clock {
 public:
  void Sleep(std::uint32_t milliseconds) override;
  std::int64_t NowMs() override;
};

}  // namespace morvik
