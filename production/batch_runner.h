// A production run on one or several writers: one thread per writer, each
// with its own worker; the records of all of them go to the one sink the
// caller gives in the context.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "production/batch_worker.h"
#include "link/clock.h"
#include "link/serial_device.h"

namespace morvik {

struct WriterPlan {
  std::vector<std::string> ports;  // connect to the first of these that answers
  bool required;  // one that does not answer at the start is looked for
};

// What one writer talks through: its own ports and clock, as each writer
// runs on a thread of its own.
struct WriterSeat {
  std::unique_ptr<Clock> clock;
  std::unique_ptr<SerialPlatform> platform;  // may refer to the clock: goes first
};

struct BatchOutcome {
  bool anyWriter;                    // a writer answered at the start
  std::vector<WriterTally> tallies;  // every writer that answered or was looked for
  std::vector<TriedPort> tried;      // when none answered: every port tried, and why it gave no writer
};

// Connects every writer; when at least one answers, runs every one that
// answered or is required to its end.
BatchOutcome RunProduction(const std::vector<WriterPlan>& writers, const BatchContext& context,
                      const std::function<WriterSeat()>& makeSeat);

}  // namespace morvik
