#include "production/other_runs.h"

#include <vector>

namespace morvik {

void OtherRuns::TakeStarted(const CardRecord& started) {
  const std::lock_guard<std::mutex> lock(mutex_);
  inProgress_[started.idm] = started;
  done_.Remove(started.idm);
  inDoubt_.Take(started.idm);
}

void OtherRuns::Take(const JournalEntry& entry) {
  const CardRecord& r = entry.record;
  if (entry.kind == JournalEntryKind::kStarted) {
    TakeStarted(r);
    return;
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  inProgress_.erase(r.idm);
  inDoubt_.Take(r.idm);  // finished by the run that wrote it
  if (r.result != CardResult::kOk) {
    done_.Remove(r.idm);
    return;
  }
  done_.Add(r);
  if (plan_ != nullptr) plan_->DoneElsewhere(r);
}

void OtherRuns::Review() {
  const std::lock_guard<std::mutex> lock(mutex_);
  std::vector<CardRecord> held;
  for (auto it = inProgress_.begin(); it != inProgress_.end();) {
    if (alive_(it->second.run)) {
      held.push_back(it->second);
      ++it;
      continue;
    }
    if (plan_ != nullptr && plan_->OfThisList(it->second)) {
      inDoubt_.Add(it->second);
      if (foundInDoubt_) foundInDoubt_(it->second);
    }
    it = inProgress_.erase(it);
  }
  if (plan_ != nullptr) plan_->HeldElsewhere(held);
}

CardRecord Signed(CardRecord record, const SharedJournal& journal) {
  record.run = journal.name().run;
  record.host = journal.name().host;
  record.pid = journal.name().pid;
  return record;
}

void SortStartedCards(const std::map<std::string, CardRecord>& started, SharedJournal* journal, OtherRuns& others,
                      CardsInDoubt& inDoubt, const std::function<void(const CardRecord&)>& foundInDoubt) {
  for (const auto& [idm, card] : started) {
    if (journal != nullptr && !card.run.empty() && journal->Alive(card.run)) {
      others.TakeStarted(card);
      continue;
    }
    inDoubt.Add(card);
    if (foundInDoubt) foundInDoubt(card);
  }
  if (journal != nullptr) others.Review();
}

void ShareJournal(BatchContext& context, SharedJournal& journal, OtherRuns* others) {
  context.starting = [starting = context.starting, &journal](const CardRecord& record) {
    return starting(Signed(record, journal));
  };
  context.report = [report = context.report, &journal](const CardRecord& record) {
    const CardRecord signed_ = Signed(record, journal);
    // Without the lock the record's append fails, and the sink says so.
    if (!journal.Exclusive([&] { report(signed_); })) report(signed_);
  };
  const auto look = [&journal, others] {
    if (others == nullptr) return;
    journal.CatchUp([others](const JournalEntry& entry) { others->Take(entry); });
    others->Review();
  };
  context.exclusive = [&journal, look](const std::function<void()>& claim) {
    return journal.Exclusive([&] {
      look();
      claim();
    });
  };
  if (others != nullptr) context.lookAtOthers = look;
}

}  // namespace morvik
