#include "production/batch_worker.h"

namespace morvik {

bool CardBudget::Take() {
  if (!limited_) return true;
  int left = left_.load();
  while (left > 0 && !left_.compare_exchange_weak(left, left - 1)) {
  }
  return left > 0;
}

BatchWorker::BatchWorker(SerialPlatform& platform, Clock& clock, const BatchContext& context)
    : clock_(clock), context_(context), card_(platform, window_, clock) {
  card_.SetStopCheck(context_.stopNow);
  card_.SetBlockResend(BlockResend::kIdempotent);  // line noise costs an exchange, not a card
  if (context_.fast) card_.SetReplyEnd(ReplyEnd::kFrameAndGuard);
}

bool BatchWorker::Connect(const std::vector<std::string>& ports) {
  for (const std::string& port : ports) {
    tally_.port = port;
    if (card_.ConnectOnPort(port)) return true;
  }
  tally_.problem = "no writer answers";  // said in the tally: with --all most ports have none
  return false;
}

void BatchWorker::Run() {
  const std::optional<ContentImage> image = context_.imageFor(card_.customerId());
  if (!image) {
    Problem("content refused");
    return;
  }
  while (const std::optional<CardIdm> idm = WaitForNewCard()) {
    if (!context_.budget->Take()) return;
    lastCard_ = idm;
    const CardRecord record = WriteCard(*idm, *image);
    tally_.Count(record.result);
    tally_.resends += record.resends;
    context_.report(record);
    if (card_.lastSendFailed()) Problem("writer lost");
    if (record.result == CardResult::kInterrupted || card_.lastSendFailed()) return;
  }
}

std::optional<CardIdm> BatchWorker::WaitForNewCard() {
  for (;;) {
    if (context_.stopAfterCard() || context_.budget->Exhausted()) return std::nullopt;
    const std::optional<CardIdm> idm = card_.PollCard();
    if (card_.lastSendFailed()) {
      Problem("writer lost");
      return std::nullopt;
    }
    if (idm && idm != lastCard_) return idm;
    clock_.Sleep(context_.pollPauseMs);
  }
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
  return card_.PollCard() == idm ? failure : CardResult::kRemoved;
}

}  // namespace morvik

namespace morvik {

void BatchWorker::Problem(const std::string& problem) {
  tally_.problem = problem;
  if (context_.note) context_.note(tally_.port + ": " + problem);
}

}  // namespace morvik
