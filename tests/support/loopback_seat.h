// A production run's writer seats for the tests: each seat its own virtual
// clock and loopback platform, with the one simulated writer on COM3.
#pragma once

#include <functional>
#include <memory>

#include "production/batch_runner.h"
#include "sim/loopback_serial.h"

namespace morvik::test {

inline std::function<WriterSeat()> WriterOnCom3(sim::WriterModel& writer) {
  return [&writer] {
    auto clock = std::make_unique<sim::VirtualClock>();
    auto platform = std::make_unique<sim::LoopbackPlatform>(*clock);
    platform->AttachWriter(3, writer);
    return WriterSeat{std::move(clock), std::move(platform)};
  };
}

}  // namespace morvik::test
