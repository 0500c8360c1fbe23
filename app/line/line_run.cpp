#include "app/line/line_run.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "cli/record_printer.h"
#include "files/file_access.h"
#include "link/port_names.h"
#include "link/writer_link.h"

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

JournalLook LookIntoJournal(const std::string& journal, const std::string& listHash) {
  JournalLook look(listHash);
  std::error_code error;
  if (!std::filesystem::exists(PathFromUtf8(journal), error)) return look;
  const JournalRead read =
      ReadJournalFile(journal, [&look](const JournalEntry& entry) { look.state.Take(entry); }, look.error);
  if (look.error.empty() && read.badLine != 0) {
    look.error = journal + ": line " + std::to_string(read.badLine) + " is not a journal record";
  }
  return look;
}

bool LineRun::Start(const CardList& list, const JournalState& journal, const LineSetup& setup, std::string& error) {
  if (thread_.joinable()) thread_.join();  // the last run has ended: its end was queued last
  int reason = 0;
  journal_ = JournalWriter::Open(setup.journal, reason);
  if (!journal_) {
    error = SystemReason(reason);
    return false;
  }
  journalFailure_.reset();
  journalBroken_ = false;
  stops_ = 0;
  plan_ = std::make_unique<ListPlan>(list.rows, list.fileHash, list.rowImage, journal.rowsDone(), std::nullopt);
  done_ = std::make_unique<DoneCards>(journal.cardsDone());
  inDoubt_ = std::make_unique<CardsInDoubt>(journal.cardsInDoubt());
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
  context.fast = setup.fast;
  context.lookWhenNoneAnswers = true;
  thread_ = std::thread([this, writers = PlanWriters(setup.ports), context] { Run(writers, context); });
  return true;
}

void LineRun::Run(std::vector<WriterPlan> writers, BatchContext context) {
  RunProduction(writers, context, seats_);
  LineEnd end{std::nullopt, inDoubt_->Left()};
  int reason = 0;
  const std::lock_guard<std::mutex> lock(journalMutex_);
  if (!journal_->Close(reason) && !journalFailure_) journalFailure_ = reason;
  journal_.reset();
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
