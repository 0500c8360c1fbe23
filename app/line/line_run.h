// A production run of the window: a list's rows on the writers through the
// production line's own runner, each card's started record made durable in
// the journal before its first block and its result after it, as
// `batch --rows --log --resume` does. The writers run on threads of their
// own; what they report waits in a queue the window takes from on its thread.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "cli/card_list.h"
#include "production/batch_runner.h"
#include "production/journal.h"
#include "production/other_runs.h"
#include "production/shared_journal.h"

namespace morvik {

struct LineSetup {
  std::vector<std::string> ports;  // none: every port COM1-COM31, each looked for until it answers
  bool fast = false;
  std::string journal;             // the journal's file name
  SharedJournal::LocksFor locks = FileLocks;  // the journal's locks
  // Rows whose cells changed after their card was written are written again.
  bool rewriteChanged = false;
};

// What a journal says of a list before a run: its rows known by what they
// are, wherever the list has them now. The list outlives the look.
struct JournalLook {
  explicit JournalLook(const CardList& list) : state(list.fileHash, list.name, list.rows) {}
  JournalState state;  // a line a killed run left cut short is skipped
  std::string error;   // "NAME: reason", or the first line that is no record
};

// A journal that does not exist yet holds nothing, which is no error.
JournalLook LookIntoJournal(const std::string& journal, const CardList& list);

// How a run ended.
struct LineEnd {
  std::optional<std::string> journalLost;  // why a record could not be made durable
  std::vector<CardRecord> inDoubt;         // cards left with part of a row on them
  std::size_t rowsLeft = 0;                // by this run and every other sharing the journal
};

// A card found in doubt during the run: a run sharing the journal that
// started it is gone.
struct FoundInDoubt {
  CardRecord started;
};

// The journal's lock has been waited for a second: another run holds it.
struct JournalWaiting {};

using LineEvent = std::variant<WriterProgress, CardRecord, WriterEvent, LineEnd, FoundInDoubt, JournalWaiting>;

class LineRun {
 public:
  // seats: each writer's ports and clock; wake: called on a writer's thread
  // each time an event has been queued.
  LineRun(std::function<WriterSeat()> seats, std::function<void()> wake)
      : seats_(std::move(seats)), wake_(std::move(wake)) {}
  ~LineRun() { Abandon(); }
  LineRun(const LineRun&) = delete;
  LineRun& operator=(const LineRun&) = delete;

  // Starts the rows the journal does not hold as done (nor as changed
  // after their card was written, unless setup says to write them again),
  // sharing the journal with every other run on it: look is what the
  // journal says as the run starts (its cards in doubt are those no live run
  // is writing). false with look.error ("NAME: reason") when the journal
  // cannot be opened, gives no locks, or holds a line that is no record.
  bool Start(const CardList& list, const LineSetup& setup, JournalLook& look);
  // As one interrupt: the cards being written finish, then the run ends.
  void Stop() { stops_ = std::max(stops_.load(), 1); }
  // As two, then waits for the end: what is left of the run when the window goes.
  void Abandon();

  // The cards in doubt the run has yet to finish: after Start, those it found.
  std::vector<CardRecord> InDoubtNow() const;

  // The oldest event not yet taken; nullopt when none waits.
  std::optional<LineEvent> TakeEvent();

 private:
  void Push(LineEvent event);
  void Run(std::vector<WriterPlan> writers, BatchContext context);
  bool Append(const std::string& line);

  std::function<WriterSeat()> seats_;
  std::function<void()> wake_;
  std::thread thread_;
  std::atomic<int> stops_{0};
  std::unique_ptr<ListPlan> plan_;
  std::unique_ptr<DoneCards> done_;
  std::unique_ptr<CardsInDoubt> inDoubt_;
  std::unique_ptr<OtherRuns> others_;
  std::mutex journalMutex_;
  std::unique_ptr<SharedJournal> journal_;  // holds the run's own lock while it lives
  std::optional<int> journalFailure_;  // errno's value of the first failed append
  std::atomic<bool> journalBroken_{false};
  std::mutex eventsMutex_;
  std::deque<LineEvent> events_;
};

}  // namespace morvik
