#include "production/batch_runner.h"

#include <optional>
#include <thread>

#include "link/clock.h"

namespace morvik {

std::vector<WriterTally> RunBatch(const std::vector<WriterPlan>& writers, const BatchContext& context,
                                  const std::function<std::unique_ptr<SerialPlatform>()>& makePlatform) {
  struct Slot {
    std::unique_ptr<SerialPlatform> platform;
    SystemClock clock;
    std::optional<BatchWorker> worker;
    bool answered = false;
  };
  std::vector<Slot> slots(writers.size());
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < writers.size(); ++i) {
    Slot& slot = slots[i];
    slot.platform = makePlatform();
    slot.worker.emplace(*slot.platform, slot.clock, context);
    threads.emplace_back([&slot, &plan = writers[i]] {
      slot.answered = slot.worker->Connect(plan.ports);
      if (slot.answered) slot.worker->Run();
    });
  }
  for (std::thread& thread : threads) thread.join();

  std::vector<WriterTally> tallies;
  for (std::size_t i = 0; i < writers.size(); ++i) {
    if (slots[i].answered || writers[i].required) tallies.push_back(slots[i].worker->tally());
  }
  return tallies;
}

}  // namespace morvik
