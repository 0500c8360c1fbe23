// One writer of a production run: its own link, card operations and headless
// window. It connects, then writes (and reads back) every new card put on the
// writer until the plan has no card left or the operator stops it. A writer
// that is lost, or did not answer at the start, is looked for on its port
// every second until it answers again; one whose last three cards failed is
// set aside.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "card/card_operations.h"
#include "production/card_record.h"
#include "production/done_card_table.h"
#include "production/run_plan.h"
#include "window/headless_window.h"

namespace morvik {

// The cards written ok, in this run or an earlier one whose journal it
// resumes, on any writer: none of them is written again.
class DoneCards {
 public:
  DoneCards() = default;
  // The cards an earlier run's journal records as done.
  explicit DoneCards(const DoneCardTable& before) : cards_(before) {}
  explicit DoneCards(DoneCardTable&& before) : cards_(std::move(before)) {}
  void Add(const CardRecord& record);
  // Started again by another run: no longer done.
  void Remove(const std::string& idm);
  // The card's record when it is done.
  std::optional<CardRecord> Find(const std::string& idm) const;

 private:
  mutable std::mutex mutex_;
  DoneCardTable cards_;
};

// Cards an earlier run started and left without a result: each is finished
// when it is put on a writer, and the ones never seen are named at the end.
class CardsInDoubt {
 public:
  CardsInDoubt() = default;
  // The started records an earlier run's journal left without a result, by IDm.
  explicit CardsInDoubt(const std::map<std::string, CardRecord>& started) : cards_(started) {}
  void Add(const CardRecord& started);
  // The card's started record, taken out: it is in doubt no longer.
  std::optional<CardRecord> Take(const std::string& idm);
  std::vector<CardRecord> Left() const;
  bool empty() const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, CardRecord> cards_;
};

// Where a writer is, for whoever shows the run as it goes.
struct WriterProgress {
  enum class Step {
    kWaitingForCard,
    kStarting,     // the card's started record is about to be written
    kWriting,      // block blocks written (0 right after the started record)
    kReadingBack,
    kFinished,     // the card's record has been reported
  };
  Step step;
  std::string port;
  std::string idm;
  std::size_t line = 0;  // the row's line, 0 without a list
  int block = 0;
  std::string id = {};   // the row's id cell
  int resends = 0;       // block requests this writer sent again so far
};

// What happens to a writer beside its cards, as a kind: a terminal and a
// window each say it in their own words.
struct WriterEvent {
  enum class Kind {
    kFound,           // answers, at the start or later: its customer ID
    kNotAnswering,    // did not answer at the start: looked for every second
    kLost,            // lost in the middle of the run: looked for every second
    kBack,            // answers again after it was lost: its customer ID
    kSetAside,        // its last three cards failed
    kContentRefused,  // the plan cannot be written with its customer ID
    kDoneBefore,      // a card put on was written ok before: not written again
  };
  Kind kind;
  std::string port;
  std::string cid{};   // kFound, kBack: "1234"
  std::string idm{};   // kDoneBefore: the card, its row's line and id
  std::size_t row = 0;
  std::string id{};
  bool late = false;                   // kFound, kBack: found by looking for it, after the run began
  std::optional<TriedPort> tried{};    // kNotAnswering: why its port gave no writer, when it was tried
};

// What every writer of a run shares: the plan, the cards done and in doubt,
// and the sinks it reports to. Each is safe to use from every writer's thread.
struct BatchContext {
  RunPlan* plan = nullptr;
  DoneCards* done = nullptr;
  CardsInDoubt* inDoubt = nullptr;
  std::function<bool()> stopAfterCard;  // first interrupt: finish the card, then stop
  std::function<bool()> stopNow;        // second interrupt: stop at the next block
  // Makes the card's started record durable before its first block is
  // written; false: it could not be, and the card is not written.
  std::function<bool(const CardRecord&)> starting;
  // On a journal other runs share: runs the choice of a card's row and its
  // started record as one step under the journal's lock, after looking at
  // what the other runs did; false when the lock could not be taken (the run
  // takes no new cards). None: the run is alone.
  std::function<bool(const std::function<void()>&)> exclusive;
  // Looks at what the other runs did, while a writer waits for a card.
  std::function<void()> lookAtOthers;
  std::function<void(const CardRecord&)> report;
  std::function<void(const WriterEvent&)> event;  // what happens to a writer, as it happens
  std::function<void(const WriterProgress&)> progress;
  // A trace of every frame a writer exchanges, when asked for; it is given
  // the writer's clock.
  std::function<std::unique_ptr<OperationsObserver>(Clock&)> traceFor;
  // A run no writer answers at the start looks for its required writers
  // until it is stopped, instead of ending there.
  bool lookWhenNoneAnswers = false;
  bool verify = true;
  // The run goes on while cards are in doubt, though the plan has nothing
  // left: each is finished as it is put on, until none is left or a stop.
  bool finishInDoubt = false;
  bool fast = false;                // replies end with their frame and a short guard
  std::uint32_t pollPauseMs = 100;  // between detection requests while no new card lies there
};

// After this many failed cards in a row a writer is set aside.
inline constexpr int kFailuresToSetAside = 3;

class BatchWorker {
 public:
  BatchWorker(SerialPlatform& platform, Clock& clock, const BatchContext& context);

  // Connects to the first of these ports where a writer answers; the port
  // stays the writer's (the first one when none answers).
  bool Connect(const std::vector<std::string>& ports);
  // Cards until the plan has none left or a stop is asked for; a writer that
  // is not connected is looked for first.
  void Run();

  // The ports tried where no writer answered, with why (as the tool says it).
  const std::vector<TriedPort>& triedPorts() const { return card_.triedPorts(); }
  const WriterTally& tally() const { return tally_; }
  WriterTally& tally() { return tally_; }

 private:
  // The worker's window: block progress goes to the run's progress sink.
  class ProgressWindow final : public HeadlessWindow {
   public:
    explicit ProgressWindow(BatchWorker& worker) : worker_(worker) {}
    void ReportProgress(int done, int total) override;

   private:
    BatchWorker& worker_;
  };

  bool StopTaking() const;
  // Hand-shakes on the port, trying again for a few seconds: a writer may
  // still hold part of a frame from a process that was killed.
  bool Handshake(const std::string& port);
  // Opens and hand-shakes the port every second until the writer answers;
  // false when the run ends first.
  bool LookForWriter();
  // Writes every new card until the run ends (true) or the writer is lost.
  bool WriteCards();
  // The next card to write: one put on since the last poll, not done before.
  std::optional<CardIdm> WaitForNewCard();
  // The card's started record, made durable; nullopt when it could not be
  // (nothing is written).
  std::optional<CardRecord> StartCard(const CardIdm& idm, const CardJob& job, bool foundInDoubt);
  // Writes and reads back the card started.
  void WriteCard(const CardIdm& idm, const CardJob& job, CardRecord& record);
  void ReadBack(const CardIdm& idm, const CardJob& job, CardRecord& record);
  // A write or read that did not go through: the operator's stop, the writer
  // or the card taken away, or a failure of the card itself.
  CardResult WhyFailed(const CardIdm& idm, CardResult failure);
  // Counts the card; true when the writer is to be set aside.
  bool Count(const CardRecord& record);
  void LoseWriter();
  // What the writer got over, and what it did not, for the tally.
  void SumUp();
  std::optional<TriedPort> TriedOn(const std::string& port) const;
  // Why the writer's port gave no writer when it was last tried.
  void Tell(WriterEvent event);
  void Progress(WriterProgress::Step step, int block = 0);

  Clock& clock_;
  const BatchContext& context_;
  ProgressWindow window_;
  CardOperations card_;
  std::unique_ptr<OperationsObserver> trace_;
  bool connected_ = false;
  bool foundLate_ = false;  // no answer at the start, found later
  bool setAside_ = false;
  int timesLost_ = 0;
  int timesBack_ = 0;
  int failuresInARow_ = 0;
  std::optional<CardIdm> lastCard_;  // the card on the writer at the last poll
  CardRecord current_;               // the card in progress, for the progress sink
  std::int64_t startMs_ = 0;         // when it was started
  int resendsBefore_ = 0;
  WriterTally tally_;
};

}  // namespace morvik
