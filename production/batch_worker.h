// One writer of a production run: its own link, card operations and headless
// window. It connects once, then writes (and reads back) every new card put on
// the writer until the run's card count is reached or the operator stops it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "production/card_record.h"
#include "card/card_operations.h"
#include "window/headless_window.h"

namespace morvik {

// The cards the whole run may still start; shared by the writers.
class CardBudget {
 public:
  // nullopt: no limit.
  explicit CardBudget(std::optional<int> cards) : limited_(cards.has_value()), left_(cards.value_or(0)) {}
  bool Take();
  bool Exhausted() const { return limited_ && left_.load() <= 0; }

 private:
  bool limited_;
  std::atomic<int> left_;
};

// What every writer of a run shares, none of it mutable except through its
// own synchronisation.
struct BatchContext {
  // The image for a writer with this customer ID; nullopt when refused.
  std::function<std::optional<ContentImage>(std::array<std::uint8_t, 2>)> imageFor;
  CardBudget* budget = nullptr;
  std::function<bool()> stopAfterCard;  // first interrupt: finish the card, then stop
  std::function<bool()> stopNow;        // second interrupt: stop at the next block
  std::function<void(const CardRecord&)> report;
  std::function<void(const std::string&)> note;  // a writer's problem, as it happens
  bool verify = true;
  bool fast = false;                // replies end with their frame and a short guard
  std::uint32_t pollPauseMs = 100;  // between detection requests while no new card lies there
};

class BatchWorker {
 public:
  BatchWorker(SerialPlatform& platform, Clock& clock, const BatchContext& context);

  // Connects to the first of these ports where a writer answers.
  bool Connect(const std::vector<std::string>& ports);
  // Cards until the budget is spent, a stop is asked for or the writer is lost.
  void Run();

  const WriterTally& tally() const { return tally_; }
  WriterTally& tally() { return tally_; }

 private:
  std::optional<CardIdm> WaitForNewCard();
  CardRecord WriteCard(const CardIdm& idm, const ContentImage& image);
  // A write or read that did not go through: the operator's stop, the card
  // taken away, or a failure of the card itself.
  CardResult WhyFailed(const CardIdm& idm, CardResult failure);
  void Problem(const std::string& problem);

  Clock& clock_;
  const BatchContext& context_;
  HeadlessWindow window_;
  CardOperations card_;
  std::optional<CardIdm> lastCard_;
  WriterTally tally_;
};

}  // namespace morvik
