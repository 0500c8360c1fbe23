#include "production/batch_worker.h"

#include <algorithm>
#include <thread>

namespace morvik {
namespace {

// A writer that does not answer is tried again this long after the last try began.
constexpr std::int64_t kLookIntervalMs = 1000;
// How often a wait asks whether the run has ended.
constexpr std::int64_t kStopCheckMs = 100;

}  // namespace

bool CardBudget::Take() {
  if (!limited_) return true;
  int left = left_.load();
  while (left > 0 && !left_.compare_exchange_weak(left, left - 1)) {
  }
  return left > 0;
}

void DoneCards::Add(const CardIdm& idm) {
  const std::lock_guard<std::mutex> lock(mutex_);
  cards_.insert(idm);
}

bool DoneCards::Contains(const CardIdm& idm) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return cards_.contains(idm);
}

BatchWorker::BatchWorker(SerialPlatform& platform, Clock& clock, const BatchContext& context)
    : clock_(clock), context_(context), card_(platform, window_, clock) {
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
    if (!card_.ConnectOnPort(port)) continue;
    tally_.port = port;
    connected_ = true;
    if (context_.announceWriters) {
      Note("writer found (CID " + CustomerIdText(card_.customerId()) + "), waiting for a card");
    }
    return true;
  }
  if (!ports.empty()) tally_.port = ports.front();
  return false;
}

void BatchWorker::Run() {
  if (!connected_) Note("no writer answers; looking for it");
  while (connected_ || LookForWriter()) {
    // The writer that answers may be another one, with another customer ID.
    const std::optional<ContentImage> image =
        context_.rows ? std::nullopt : context_.imageFor(card_.customerId());
    if (!context_.rows && !image) {
      tally_.problem = "content refused";
      Note(tally_.problem);
      return;
    }
    if (WriteCards(image)) break;
    LoseWriter();
  }
  SumUp();
}

bool BatchWorker::StopTaking() const {
  return context_.stopAfterCard() || context_.budget->Exhausted() ||
         (context_.rows && context_.rows->Finished());
}

bool BatchWorker::LookForWriter() {
  while (!StopTaking()) {
    const std::int64_t startMs = clock_.NowMs();
    card_.port().Close();
    if (card_.ConnectOnPort(tally_.port)) {
      connected_ = true;
      if (timesLost_ == 0) {
        foundLate_ = true;
        Note("writer found (CID " + CustomerIdText(card_.customerId()) + "), waiting for a card");
      } else {
        ++timesBack_;
        Note("writer back");
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

bool BatchWorker::WriteCards(const std::optional<ContentImage>& image) {
  while (const std::optional<CardIdm> idm = WaitForNewCard()) {
    if (!context_.budget->Take()) return true;
    const std::optional<CardJob> job = image ? CardJob{*image, std::nullopt} : NextRow();
    if (!job) {  // every row left is on another writer: the card waits for one that fails
      lastCard_.reset();
      clock_.Sleep(context_.pollPauseMs);
      std::this_thread::yield();  // on a clock that only counts, the other writers go first
      continue;
    }
    CardRecord record = WriteCard(*idm, job->image);
    Settle(job->row, record);
    tally_.Count(record.result);
    tally_.resends += record.resends;
    if (record.result == CardResult::kOk) context_.done->Add(*idm);
    context_.report(record);
    if (record.result == CardResult::kInterrupted) return true;
    if (card_.lastSendFailed()) return false;
  }
  return !card_.lastSendFailed();
}

std::optional<BatchWorker::CardJob> BatchWorker::NextRow() {
  const std::optional<std::size_t> row = context_.rows->Take();
  if (!row) return std::nullopt;
  const std::optional<ContentImage> image = context_.rowImage(*row, card_.customerId());
  if (!image) {
    context_.rows->Failed(*row);
    return std::nullopt;
  }
  return CardJob{*image, row};
}

// A row is done with its card written and verified; otherwise it goes back
// for the next card.
void BatchWorker::Settle(const std::optional<std::size_t>& row, CardRecord& record) {
  if (!row) return;
  context_.describeRow(*row, record);
  if (record.result == CardResult::kOk) {
    context_.rows->Done(*row);
  } else {
    context_.rows->Failed(*row);
  }
}

std::optional<CardIdm> BatchWorker::WaitForNewCard() {
  while (!StopTaking()) {
    const std::optional<CardIdm> idm = card_.PollCard();
    if (card_.lastSendFailed()) return std::nullopt;
    // A card taken off and put on again is new again, unless it was done.
    if (idm != lastCard_) {
      lastCard_ = idm;
      if (idm && !context_.done->Contains(*idm)) return idm;
      if (idm) Note(IdmText(*idm) + " was written ok before: not written again");
    }
    clock_.Sleep(context_.pollPauseMs);
  }
  return std::nullopt;
}

CardRecord BatchWorker::WriteCard(const CardIdm& idm, const ContentImage& image) {
  const std::int64_t startMs = clock_.NowMs();
  const int resendsBefore = card_.resends();
  CardRecord record;
  record.port = tally_.port;
  record.idm = IdmText(idm);
  const int written = card_.WriteCardImage(image, idm);
  if (written < kCardBlocks) {
    record.result = WhyFailed(idm, CardResult::kWriteFailed);
    record.block = written;
  } else if (context_.verify) {
    const VerifyResult verify = card_.VerifyCardImage(image, idm);
    record.block = verify.block;
    if (verify.status == VerifyResult::Status::kMismatch) record.result = CardResult::kVerifyFailed;
    if (verify.status == VerifyResult::Status::kReadFailed || verify.status == VerifyResult::Status::kStopped) {
      record.result = WhyFailed(idm, CardResult::kVerifyFailed);
    }
  }
  record.resends = card_.resends() - resendsBefore;
  record.seconds = static_cast<double>(clock_.NowMs() - startMs) / 1000.0;
  return record;
}

CardResult BatchWorker::WhyFailed(const CardIdm& idm, CardResult failure) {
  if (card_.StopRequested()) return CardResult::kInterrupted;
  if (card_.lastSendFailed()) return failure;
  // A writer that went away in the middle of the exchange has not seen the card go.
  const std::optional<CardIdm> onWriter = card_.PollCard();
  return onWriter == idm || card_.lastSendFailed() ? failure : CardResult::kRemoved;
}

void BatchWorker::LoseWriter() {
  connected_ = false;
  ++timesLost_;
  lastCard_.reset();  // the card lying there when it is back is seen anew
  card_.port().Close();
  Note("writer lost, looking for it");
}

void BatchWorker::SumUp() {
  if (foundLate_) tally_.recovered = "found after the start";
  if (timesBack_ > 0) {
    if (!tally_.recovered.empty()) tally_.recovered += ", ";
    tally_.recovered += "writer lost and back";
    if (timesBack_ > 1) tally_.recovered += " (" + std::to_string(timesBack_) + " times)";
  }
  if (!connected_) tally_.problem = timesLost_ > 0 ? "writer lost" : "no writer answered";
}

void BatchWorker::Note(const std::string& text) {
  if (context_.note) context_.note(tally_.port + ": " + text);
}

}  // namespace morvik
