#include "production/batch_runner.h"

#include <atomic>
#include <latch>
#include <optional>
#include <thread>

namespace morvik {

BatchOutcome RunBatch(const std::vector<WriterPlan>& writers, const BatchContext& context,
                      const std::function<WriterSeat()>& makeSeat) {
  struct Slot {
    WriterSeat seat;
    std::optional<BatchWorker> worker;
    bool answered = false;
  };
  std::vector<Slot> slots(writers.size());
  // Every writer is tried before any card: a run without a single writer
  // ends there, and the writers found are told before the first card.
  std::latch tried(static_cast<std::ptrdiff_t>(writers.size()));
  std::atomic<int> answered{0};
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < writers.size(); ++i) {
    Slot& slot = slots[i];
    slot.seat = makeSeat();
    slot.worker.emplace(*slot.seat.platform, *slot.seat.clock, context);
    threads.emplace_back([&slot, &plan = writers[i], &tried, &answered] {
      slot.answered = slot.worker->Connect(plan.ports);
      if (slot.answered) ++answered;
      tried.arrive_and_wait();
      if (answered > 0 && (slot.answered || plan.required)) slot.worker->Run();
    });
  }
  for (std::thread& thread : threads) thread.join();

  BatchOutcome outcome;
  outcome.anyWriter = answered > 0;
  for (std::size_t i = 0; i < writers.size() && outcome.anyWriter; ++i) {
    if (slots[i].answered || writers[i].required) outcome.tallies.push_back(slots[i].worker->tally());
  }
  return outcome;
}

}  // namespace morvik
