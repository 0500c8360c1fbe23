// One writer of a production run: its own link, card operations and headless
// window. It connects, then writes (and reads back) every new card put on the
// writer until the run's card count is reached or the operator stops it. A
// writer that is lost, or did not answer at the start, is looked for on its
// port every second until it answers again.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "production/card_record.h"
#include "production/row_queue.h"
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

// The cards written (and read back) ok in this run, on any writer: none of
// them is written again.
class DoneCards {
 public:
  void Add(const CardIdm& idm);
  bool Contains(const CardIdm& idm) const;

 private:
  mutable std::mutex mutex_;
  std::set<CardIdm> cards_;
};

// What every writer of a run shares, none of it mutable except through its
// own synchronisation.
struct BatchContext {
  // The image for a writer with this customer ID; nullopt when refused.
  std::function<std::optional<ContentImage>(std::array<std::uint8_t, 2>)> imageFor;
  // A run from a list instead: each new card takes the next row of the queue,
  // whose image rowImage composes for the writer's customer ID and whose
  // line, id and file describeRow puts into the card's record.
  RowQueue* rows = nullptr;
  std::function<std::optional<ContentImage>(std::size_t row, std::array<std::uint8_t, 2>)> rowImage;
  std::function<void(std::size_t row, CardRecord&)> describeRow;
  CardBudget* budget = nullptr;
  DoneCards* done = nullptr;
  std::function<bool()> stopAfterCard;  // first interrupt: finish the card, then stop
  std::function<bool()> stopNow;        // second interrupt: stop at the next block
  std::function<void(const CardRecord&)> report;
  std::function<void(const std::string&)> note;  // a writer's problem, as it happens
  // A trace of every frame a writer exchanges, when asked for; it is given
  // the writer's clock.
  std::function<std::unique_ptr<OperationsObserver>(Clock&)> traceFor;
  bool announceWriters = false;     // say each writer found before the first card
  bool verify = true;
  bool fast = false;                // replies end with their frame and a short guard
  std::uint32_t pollPauseMs = 100;  // between detection requests while no new card lies there
};

class BatchWorker {
 public:
  BatchWorker(SerialPlatform& platform, Clock& clock, const BatchContext& context);

  // Connects to the first of these ports where a writer answers; the port
  // stays the writer's (the first one when none answers).
  bool Connect(const std::vector<std::string>& ports);
  // Cards until the budget is spent or a stop is asked for; a writer that is
  // not connected is looked for first.
  void Run();

  const WriterTally& tally() const { return tally_; }
  WriterTally& tally() { return tally_; }

 private:
  bool StopTaking() const;
  // Opens and hand-shakes the port every second until the writer answers;
  // false when the run ends first.
  bool LookForWriter();
  struct CardJob {
    ContentImage image{};
    std::optional<std::size_t> row;  // the list's row the card is written from
  };
  // Writes every new card until the run ends (true) or the writer is lost:
  // the run's image, or without one the next row's.
  bool WriteCards(const std::optional<ContentImage>& image);
  // The next row's image; nullopt while no row is free.
  std::optional<CardJob> NextRow();
  void Settle(const std::optional<std::size_t>& row, CardRecord& record);
  // The next card to write: one put on since the last poll, not done before.
  std::optional<CardIdm> WaitForNewCard();
  CardRecord WriteCard(const CardIdm& idm, const ContentImage& image);
  // A write or read that did not go through: the operator's stop, the card
  // taken away, or a failure of the card itself.
  CardResult WhyFailed(const CardIdm& idm, CardResult failure);
  void LoseWriter();
  // What the writer got over, and what it did not, for the tally.
  void SumUp();
  void Note(const std::string& text);

  Clock& clock_;
  const BatchContext& context_;
  HeadlessWindow window_;
  CardOperations card_;
  std::unique_ptr<OperationsObserver> trace_;
  bool connected_ = false;
  bool foundLate_ = false;  // no answer at the start, found later
  int timesLost_ = 0;
  int timesBack_ = 0;
  std::optional<CardIdm> lastCard_;  // the card on the writer at the last poll
  WriterTally tally_;
};

}  // namespace morvik
