// A production run on one or several writers: one thread per writer, each
// with its own worker; the records of all of them go to the one sink the
// caller gives in the context.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "production/batch_worker.h"
#include "link/serial_device.h"

namespace morvik {

struct WriterPlan {
  std::vector<std::string> ports;  // connect to the first of these that answers
  bool required = true;            // a writer that does not answer counts as a failure
};

// Runs every writer to its end and returns the tallies of the writers that
// answered (and of required ones that did not).
std::vector<WriterTally> RunBatch(const std::vector<WriterPlan>& writers, const BatchContext& context,
                                  const std::function<std::unique_ptr<SerialPlatform>()>& makePlatform);

}  // namespace morvik
