#include "production/batch_runner.h"

#include <chrono>
#include <optional>
#include <thread>

#include "link/clock.h"

namespace morvik {

std::string UtcTimeText() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss time{now - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

void RecordPrinter::Print(CardRecord record) {
  record.time = UtcTimeText();
  const std::string json = RecordJson(record) + "\n";
  const std::string line = json_ ? json : RecordText(record) + "\n";
  const std::lock_guard<std::mutex> lock(mutex_);
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fflush(out_);
  if (log_ != nullptr) {
    std::fwrite(json.data(), 1, json.size(), log_);
    std::fflush(log_);
  }
}

void RecordPrinter::Note(const std::string& text) {
  const std::lock_guard<std::mutex> lock(mutex_);
  std::fprintf(stderr, "%s\n", text.c_str());
}

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
