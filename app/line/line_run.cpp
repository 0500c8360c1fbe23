#include "app/line/line_run.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/line/line_texts.h"
#include "cli/record_printer.h"
#include "files/file_access.h"
#include "link/port_names.h"
#include "link/writer_link.h"
#include "production/rows_to_write.h"

namespace morvik {
namespace {

// Every port is looked at on its own: a writer plugged in later on any of
// them is taken.
std::vector<WriterPlan> PlanWriters(const std::vector<std::string>& ports) {
  std::vector<WriterPlan> plans;
  for (const std::string& port : ports) plans.push_back({{port}, true});
  for (int com = 1; ports.empty() && com <= kComPortCount; ++com) {
    plans.push_back({{"COM" + std::to_string(com)}, true});
  }
  return plans;
}

CardRecord Stamped(CardRecord record) {
  record.time = UtcTimeText();
  return record;
}

}  // namespace

JournalLook LookIntoJournal(const std::string& journal, const CardList& list) {
  JournalLook look(list);
  std::error_code error;
  if (!std::filesystem::exists(PathFromUtf8(journal), error)) return look;
  const JournalRead read =
      ReadJournalFile(journal, [&look](const JournalEntry& entry) { look.state.Take(entry); }, look.error);
  if (look.error.empty() && read.badLine != 0) {
    look.error = line_texts::NotAJournalRecord(journal, read.badLine);
  }
  return look;
}

bool LineRun::Start(const CardList& list, const LineSetup& setup, JournalLook& look) {
  if (thread_.joinable()) thread_.join();  // the last run has ended: its end was queued last
  Saying why{Said::kEnd};
  journal_ = SharedJournal::Open(setup.journal, setup.locks, [this] { Push(JournalWaiting{}); }, why);
  if (!journal_) {
    look.error = morvik::Say(why, Language::kJapanese);
    return false;
  }
  const JournalRead read = journal_->CatchUp([&look](const JournalEntry& entry) { look.state.Take(entry); });
  if (read.badLine != 0) {
    look.error = line_texts::NotAJournalRecord(setup.journal, read.badLine);
    journal_.reset();
    return false;
  }
  journalFailure_.reset();
  journalBroken_ = false;
  stops_ = 0;
  plan_ = std::make_unique<ListPlan>(list.rows, list.fileHash, list.rowImage,
                                     LinesNotToWrite(look.state, list.rows, setup.rewriteChanged), std::nullopt,
                                     list.name);
  done_ = std::make_unique<DoneCards>(look.state.cardsDone());
  inDoubt_ = std::make_unique<CardsInDoubt>();
  const auto found = [this](const CardRecord& started) { Push(FoundInDoubt{started}); };
  others_ = std::make_unique<OtherRuns>(plan_.get(), *done_, *inDoubt_,
                                        [this](const std::string& run) { return journal_->Alive(run); }, found);
  SortStartedCards(look.state.cardsInDoubt(), journal_.get(), *others_, *inDoubt_, {});
  BatchContext context;
  context.plan = plan_.get();
  context.done = done_.get();
  context.inDoubt = inDoubt_.get();
  // A record that could not be made durable stops the run as a first interrupt does.
  context.stopAfterCard = [this] { return stops_ >= 1 || journalBroken_; };
  context.stopNow = [this] { return stops_ >= 2; };
  context.starting = [this](const CardRecord& record) { return Append(StartedJson(Stamped(record))); };
  context.report = [this](const CardRecord& record) {
    const CardRecord stamped = Stamped(record);
    Append(RecordJson(stamped));
    Push(stamped);
  };
  context.progress = [this](const WriterProgress& progress) { Push(progress); };
  context.event = [this](const WriterEvent& event) { Push(event); };
  ShareJournal(context, *journal_, others_.get());
  context.fast = setup.fast;
  context.lookWhenNoneAnswers = true;
  // Every row is done: the run goes on while cards are in doubt, each
  // finished with its own row as it is put on a writer.
  context.finishInDoubt = plan_->rowsLeft() == 0 && !inDoubt_->empty();
  thread_ = std::thread([this, writers = PlanWriters(setup.ports), context] { Run(writers, context); });
  return true;
}

std::vector<CardRecord> LineRun::InDoubtNow() const {
  return inDoubt_ ? inDoubt_->Left() : std::vector<CardRecord>{};
}

void LineRun::Run(std::vector<WriterPlan> writers, BatchContext context) {
  RunProduction(writers, context, seats_);
  LineEnd end{std::nullopt, inDoubt_->Left(), plan_->rowsLeft()};
  int reason = 0;
  const std::lock_guard<std::mutex> lock(journalMutex_);
  if (!journal_->Close(reason) && !journalFailure_) journalFailure_ = reason;
  journal_.reset();  // the run's own lock goes with it: its cards left are in doubt for the others
  if (journalFailure_) end.journalLost = OutputFailureReason(*journalFailure_);
  Push(std::move(end));
}

bool LineRun::Append(const std::string& line) {
  const std::lock_guard<std::mutex> lock(journalMutex_);
  if (journalFailure_) return false;
  int reason = 0;
  if (journal_->Append(line, reason)) return true;
  journalFailure_ = reason;
  journalBroken_ = true;
  return false;
}

void LineRun::Abandon() {
  stops_ = 2;
  if (thread_.joinable()) thread_.join();
}

void LineRun::Push(LineEvent event) {
  {
    const std::lock_guard<std::mutex> lock(eventsMutex_);
    events_.push_back(std::move(event));
  }
  wake_();
}

std::optional<LineEvent> LineRun::TakeEvent() {
  const std::lock_guard<std::mutex> lock(eventsMutex_);
  if (events_.empty()) return std::nullopt;
  LineEvent event = std::move(events_.front());
  events_.pop_front();
  return event;
}

}  // namespace morvik
