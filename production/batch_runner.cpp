#include "production/batch_runner.h"

#include <atomic>
#include <optional>
#include <thread>

#include "production/meeting.h"

namespace morvik {

BatchOutcome RunProduction(const std::vector<WriterPlan>& writers, const BatchContext& context,
                      const std::function<WriterSeat()>& makeSeat) {
  struct Slot {
    WriterSeat seat;
    std::optional<BatchWorker> worker;
    bool answered = false;
  };
  std::vector<Slot> slots(writers.size());
  // Every writer is tried before any card: a run without a single writer
  // ends there, and the writers found are told before the first card.
  Meeting tried(writers.size());
  std::atomic<int> answered{0};
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < writers.size(); ++i) {
    Slot& slot = slots[i];
    slot.seat = makeSeat();
    slot.worker.emplace(*slot.seat.platform, *slot.seat.clock, context);
    threads.emplace_back([&slot, &plan = writers[i], &tried, &answered, &context] {
      slot.answered = slot.worker->Connect(plan.ports);
      if (slot.answered) ++answered;
      tried.ArriveAndWait();
      const bool runs = answered > 0 || context.lookWhenNoneAnswers;
      if (runs && (slot.answered || plan.required)) slot.worker->Run();
    });
  }
  for (std::thread& thread : threads) thread.join();

  BatchOutcome outcome{answered > 0, {}, {}};
  const bool ran = outcome.anyWriter || context.lookWhenNoneAnswers;
  for (std::size_t i = 0; i < writers.size(); ++i) {
    const BatchWorker& worker = *slots[i].worker;
    if (!outcome.anyWriter) outcome.tried.insert(outcome.tried.end(), worker.triedPorts().begin(), worker.triedPorts().end());
    if (ran && (slots[i].answered || writers[i].required)) outcome.tallies.push_back(worker.tally());
  }
  return outcome;
}

}  // namespace morvik
