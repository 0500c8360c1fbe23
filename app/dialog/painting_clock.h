// A clock whose waits keep the window painted: the start-up sequence waits
// 500 ms per port, and a scan over many ports must not freeze the window.
#pragma once

#include <algorithm>

#include "link/clock.h"
#include "window/window_services.h"

namespace morvik {

class PaintingClock final : public Clock {
 public:
  PaintingClock(Clock& inner, WindowServices& window) : inner_(inner), window_(window) {}

  void Sleep(std::uint32_t milliseconds) override {
    constexpr std::uint32_t kSlice = 50;
    while (milliseconds > 0) {
      const std::uint32_t slice = std::min(milliseconds, kSlice);
      inner_.Sleep(slice);
      window_.KeepPainting();
      milliseconds -= slice;
    }
  }
  std::int64_t NowMs() override { return inner_.NowMs(); }

 private:
  Clock& inner_;
  WindowServices& window_;
};

}  // namespace morvik
