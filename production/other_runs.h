// What the other runs sharing a journal do, applied to this run as their
// records are read: a card another run finished is done here too, a row it
// wrote ok is no longer this run's to write, a row its card is on waits while
// that run lives, and a card started by a run that is gone is in doubt here.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "production/batch_worker.h"
#include "production/journal.h"
#include "production/run_plan.h"
#include "production/shared_journal.h"

namespace morvik {

class OtherRuns {
 public:
  // plan: none for a run of one image; alive: whether the run of that name lives.
  // inDoubt: told each card of this list a run that is gone left in doubt.
  OtherRuns(ListPlan* plan, DoneCards& done, CardsInDoubt& inDoubt, std::function<bool(const std::string&)> alive,
            std::function<void(const CardRecord&)> foundInDoubt = {})
      : plan_(plan), done_(done), inDoubt_(inDoubt), alive_(std::move(alive)), foundInDoubt_(std::move(foundInDoubt)) {}
  // A record another run appended.
  void Take(const JournalEntry& entry);
  // A card another run started and has not finished: its row waits while the
  // run lives.
  void TakeStarted(const CardRecord& started);
  // Looks whether the runs whose cards are in progress still live: the cards
  // of those gone are in doubt, and their rows free again.
  void Review();

 private:
  std::mutex mutex_;
  ListPlan* plan_;
  DoneCards& done_;
  CardsInDoubt& inDoubt_;
  std::function<bool(const std::string&)> alive_;
  std::function<void(const CardRecord&)> foundInDoubt_;
  std::map<std::string, CardRecord> inProgress_;  // by IDm
};

// The record signed with the run's name, for the other runs on the journal.
CardRecord Signed(CardRecord record, const SharedJournal& journal);

// The cards a journal left started without a result, sorted as the run
// begins: a card a run that lives is writing is that run's (its row waits);
// every other one is in doubt here, each told to foundInDoubt. journal: none
// when the run does not read what others append (then every one is in doubt).
void SortStartedCards(const std::map<std::string, CardRecord>& started, SharedJournal* journal, OtherRuns& others,
                      CardsInDoubt& inDoubt, const std::function<void(const CardRecord&)>& foundInDoubt);

// A run on a shared journal: its records signed, every one made under the
// journal's lock, and each card's choice of row made after looking at what
// the others did (others: none when the run does not read what they append).
void ShareJournal(BatchContext& context, SharedJournal& journal, OtherRuns* others);

}  // namespace morvik
