#include "production/batch_worker.h"

#include <algorithm>
#include <thread>

namespace morvik {
namespace {

// A writer that does not answer is tried again this long after the last try began.
constexpr std::int64_t kLookIntervalMs = 1000;
// How often a wait asks whether the run has ended.
constexpr std::int64_t kStopCheckMs = 100;
// A port that opens is asked this long for the start-up sequence before it
// counts as having no writer: a writer may still be reading the remains of a
// frame a killed process was sending, or a reply may have met line noise.
constexpr std::int64_t kHandshakeTriesMs = 3000;
constexpr std::uint32_t kHandshakePauseMs = 200;

bool WriterOrCardFailed(CardResult result) {
  return result == CardResult::kWriteFailed || result == CardResult::kVerifyFailed;
}

}  // namespace

void DoneCards::Add(const CardRecord& record) {
  const std::lock_guard<std::mutex> lock(mutex_);
  cards_.Add(record);
}

void DoneCards::Remove(const std::string& idm) {
  const std::lock_guard<std::mutex> lock(mutex_);
  cards_.Remove(idm);
}

std::optional<CardRecord> DoneCards::Find(const std::string& idm) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return cards_.Find(idm);
}

void CardsInDoubt::Add(const CardRecord& started) {
  const std::lock_guard<std::mutex> lock(mutex_);
  cards_[started.idm] = started;
}

std::optional<CardRecord> CardsInDoubt::Take(const std::string& idm) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto found = cards_.find(idm);
  if (found == cards_.end()) return std::nullopt;
  CardRecord started = found->second;
  cards_.erase(found);
  return started;
}

bool CardsInDoubt::empty() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return cards_.empty();
}

std::vector<CardRecord> CardsInDoubt::Left() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  std::vector<CardRecord> left;
  for (const auto& [idm, record] : cards_) left.push_back(record);
  return left;
}

void BatchWorker::ProgressWindow::ReportProgress(int done, int total) {
  if (total == kCardBlocks) worker_.Progress(WriterProgress::Step::kWriting, done);
}

BatchWorker::BatchWorker(SerialPlatform& platform, Clock& clock, const BatchContext& context)
    : clock_(clock), context_(context), window_(*this), card_(platform, window_, clock) {
  card_.SetStopCheck(context_.stopNow);
  card_.SetBlockResend(BlockResend::kIdempotent);  // line noise costs an exchange, not a card
  if (context_.fast) card_.SetReplyEnd(ReplyEnd::kFrameAndGuard);
  if (context_.traceFor) {
    trace_ = context_.traceFor(clock);
    card_.SetExchangeObserver(trace_.get());
    card_.SetResendObserver(trace_.get());
  }
}

bool BatchWorker::Connect(const std::vector<std::string>& ports) {
  for (const std::string& port : ports) {
    if (!Handshake(port)) continue;
    tally_.port = port;
    connected_ = true;
    Tell({WriterEvent::Kind::kFound, port, CustomerIdText(card_.customerId())});
    return true;
  }
  if (!ports.empty()) tally_.port = ports.front();
  return false;
}

void BatchWorker::Run() {
  if (!connected_) {
    WriterEvent notAnswering{WriterEvent::Kind::kNotAnswering, tally_.port};
    notAnswering.tried = TriedOn(tally_.port);
    Tell(std::move(notAnswering));
  }
  while (connected_ || LookForWriter()) {
    // The writer that answers may be another one, with another customer ID.
    if (!context_.plan->AcceptsWriter(card_.customerId())) {
      tally_.SetProblem({Said::kProblemContentRefused});
      Tell({WriterEvent::Kind::kContentRefused, tally_.port, CustomerIdText(card_.customerId())});
      return;
    }
    if (WriteCards()) break;
    LoseWriter();
  }
  SumUp();
}

bool BatchWorker::StopTaking() const {
  const bool doubtsLeft = context_.finishInDoubt && context_.inDoubt != nullptr && !context_.inDoubt->empty();
  return setAside_ || context_.stopAfterCard() || (context_.plan->Finished() && !doubtsLeft);
}

bool BatchWorker::Handshake(const std::string& port) {
  const std::int64_t startMs = clock_.NowMs();
  while (!card_.ConnectOnPort(port)) {
    const bool opens = card_.OpenPort(port);
    card_.port().Close();
    if (!opens || clock_.NowMs() - startMs >= kHandshakeTriesMs) return false;
    clock_.Sleep(kHandshakePauseMs);
  }
  return true;
}

bool BatchWorker::LookForWriter() {
  while (!StopTaking()) {
    const std::int64_t startMs = clock_.NowMs();
    card_.port().Close();
    if (card_.ConnectOnPort(tally_.port)) {
      connected_ = true;
      const std::string cid = CustomerIdText(card_.customerId());
      WriterEvent found{timesLost_ == 0 ? WriterEvent::Kind::kFound : WriterEvent::Kind::kBack, tally_.port, cid};
      found.late = true;
      Tell(std::move(found));
      if (timesLost_ == 0) {
        foundLate_ = true;
      } else {
        ++timesBack_;
      }
      return true;
    }
    for (std::int64_t left = kLookIntervalMs; left > 0 && !StopTaking();
         left = kLookIntervalMs - (clock_.NowMs() - startMs)) {
      clock_.Sleep(static_cast<std::uint32_t>(std::min(left, kStopCheckMs)));
    }
  }
  return false;
}

bool BatchWorker::WriteCards() {
  while (const std::optional<CardIdm> idm = WaitForNewCard()) {
    const std::optional<CardRecord> doubt = context_.inDoubt ? context_.inDoubt->Take(IdmText(*idm)) : std::nullopt;
    std::optional<CardJob> job;
    std::optional<CardRecord> record;
    const auto claim = [&] {
      job = context_.plan->Take(card_.customerId(), doubt ? &*doubt : nullptr);
      if (job) record = StartCard(*idm, *job, doubt.has_value());
    };
    const bool claimed = context_.exclusive ? context_.exclusive(claim) : (claim(), true);
    if (claimed && !job) {  // every row left is on another writer: the card waits for one that fails
      if (doubt) context_.inDoubt->Add(*doubt);
      lastCard_.reset();
      clock_.Sleep(context_.pollPauseMs);
      std::this_thread::yield();  // on a clock that only counts, the other writers go first
      continue;
    }
    if (!record) {  // the journal failed: the run takes no new cards
      if (job) context_.plan->Settle(*job, false);
      if (doubt) context_.inDoubt->Add(*doubt);
      return true;
    }
    WriteCard(*idm, *job, *record);
    context_.plan->Settle(*job, record->result == CardResult::kOk);
    if (record->result == CardResult::kOk) context_.done->Add(*record);
    context_.report(*record);
    Progress(WriterProgress::Step::kFinished);
    if (Count(*record)) {
      Tell({WriterEvent::Kind::kSetAside, tally_.port});
      return true;
    }
    if (record->result == CardResult::kInterrupted) return true;
    if (card_.lastSendFailed()) return false;
  }
  return !card_.lastSendFailed();
}

std::optional<CardIdm> BatchWorker::WaitForNewCard() {
  Progress(WriterProgress::Step::kWaitingForCard);
  while (!StopTaking()) {
    if (context_.lookAtOthers) context_.lookAtOthers();
    const std::optional<CardIdm> idm = card_.PollCard();
    if (card_.lastSendFailed()) return std::nullopt;
    // A card taken off and put on again is new again, unless it was done.
    if (idm != lastCard_) {
      lastCard_ = idm;
      const std::optional<CardRecord> done = idm ? context_.done->Find(IdmText(*idm)) : std::nullopt;
      if (idm && !done) return idm;
      if (done) Tell({WriterEvent::Kind::kDoneBefore, tally_.port, "", done->idm, done->row, done->id});
    }
    clock_.Sleep(context_.pollPauseMs);
  }
  return std::nullopt;
}

std::optional<CardRecord> BatchWorker::StartCard(const CardIdm& idm, const CardJob& job, bool foundInDoubt) {
  startMs_ = clock_.NowMs();
  resendsBefore_ = card_.resends();
  CardRecord& record = current_ = CardRecord{};
  record.port = tally_.port;
  record.idm = IdmText(idm);
  record.row = job.line;
  record.id = job.id;
  record.file = job.file;
  record.cells = job.cells;
  record.occurrence = job.occurrence;
  record.list = job.list;
  record.image = ContentHash(std::string_view(reinterpret_cast<const char*>(job.image.data()), job.image.size()));
  record.verified = context_.verify;
  record.foundInDoubt = foundInDoubt;
  Progress(WriterProgress::Step::kStarting);
  if (!context_.starting(record)) return std::nullopt;
  return record;
}

void BatchWorker::WriteCard(const CardIdm& idm, const CardJob& job, CardRecord& record) {
  Progress(WriterProgress::Step::kWriting, 0);
  const int written = card_.WriteCardImage(job.image, idm);
  if (written < kCardBlocks) {
    record.result = WhyFailed(idm, CardResult::kWriteFailed);
    record.block = written;
  } else if (context_.verify) {
    ReadBack(idm, job, record);
  }
  record.resends = card_.resends() - resendsBefore_;
  record.seconds = static_cast<double>(clock_.NowMs() - startMs_) / 1000.0;
}

void BatchWorker::ReadBack(const CardIdm& idm, const CardJob& job, CardRecord& record) {
  Progress(WriterProgress::Step::kReadingBack);
  const VerifyResult verify = card_.VerifyCardImage(job.image, idm);
  record.block = verify.block;
  if (verify.status == VerifyResult::Status::kMismatch) record.result = CardResult::kVerifyFailed;
  if (verify.status == VerifyResult::Status::kReadFailed || verify.status == VerifyResult::Status::kStopped) {
    record.result = WhyFailed(idm, CardResult::kVerifyFailed);
  }
}

CardResult BatchWorker::WhyFailed(const CardIdm& idm, CardResult failure) {
  if (card_.StopRequested()) return CardResult::kInterrupted;
  if (card_.lastSendFailed()) return CardResult::kWriterLost;
  // A writer that went away in the middle of the exchange has not seen the card go.
  const std::optional<CardIdm> onWriter = card_.PollCard();
  if (card_.lastSendFailed()) return CardResult::kWriterLost;
  return onWriter == idm ? failure : CardResult::kRemoved;
}

bool BatchWorker::Count(const CardRecord& record) {
  tally_.Count(record.result);
  tally_.resends += record.resends;
  failuresInARow_ = WriterOrCardFailed(record.result) ? failuresInARow_ + 1 : 0;
  if (failuresInARow_ < kFailuresToSetAside) return false;
  setAside_ = true;
  tally_.SetProblem({Said::kProblemSetAside});
  return true;
}

void BatchWorker::LoseWriter() {
  connected_ = false;
  ++timesLost_;
  lastCard_.reset();  // the card lying there when it is back is seen anew
  card_.port().Close();
  Tell({WriterEvent::Kind::kLost, tally_.port});
}

void BatchWorker::SumUp() {
  if (foundLate_) tally_.AddRecovered({Said::kFoundAfterStart});
  if (timesBack_ == 1) tally_.AddRecovered({Said::kLostAndBack});
  if (timesBack_ > 1) tally_.AddRecovered({Said::kLostAndBackTimes, {std::to_string(timesBack_)}});
  if (!connected_ && !setAside_) {
    tally_.SetProblem({timesLost_ > 0 ? Said::kProblemWriterLost : Said::kProblemNoWriter});
  }
}

std::optional<TriedPort> BatchWorker::TriedOn(const std::string& port) const {
  const auto tried = std::ranges::find(card_.triedPorts(), port, &TriedPort::port);
  if (tried == card_.triedPorts().end()) return std::nullopt;
  return *tried;
}

void BatchWorker::Tell(WriterEvent event) {
  if (context_.event) context_.event(event);
}

void BatchWorker::Progress(WriterProgress::Step step, int block) {
  if (!context_.progress) return;
  const bool card = step != WriterProgress::Step::kWaitingForCard;
  context_.progress({step, tally_.port, card ? current_.idm : "", card ? current_.row : 0, block,
                     card ? current_.id : "", card_.resends()});
}

}  // namespace morvik
