#include "cli/progress_board.h"

#include <cmath>
#include <cstdio>
#include <ostream>

#include "card/card_operations.h"

namespace morvik {
namespace {

// Each line of the board ends clearing the rest of the terminal's line.
constexpr std::string_view kClearToLineEnd = "\x1b[K";

std::string StepText(const WriterProgress& progress) {
  using Step = WriterProgress::Step;
  switch (progress.step) {
    case Step::kWaitingForCard: return "waiting for a card";
    case Step::kStarting: return "starting";
    case Step::kWriting: return "block " + std::to_string(progress.block) + "/" + std::to_string(kCardBlocks);
    case Step::kReadingBack: return "reading back";
    case Step::kFinished: return "done";
  }
  return {};
}

// "about 12 min left", or "under a minute left" for the last cards.
std::string TimeLeftText(double minutes) {
  const long rounded = std::lround(minutes);
  return rounded < 1 ? "under a minute left" : "about " + std::to_string(rounded) + " min left";
}

}  // namespace

std::string WriterProgressLine(const WriterProgress& progress) {
  std::string line = progress.port;
  if (progress.line != 0) {
    line += "  row " + std::to_string(progress.line) + (progress.id.empty() ? "" : " (" + progress.id + ")");
  }
  if (!progress.idm.empty()) line += "  " + progress.idm;
  line += "  " + StepText(progress);
  if (progress.resends > 0) line += "  " + std::to_string(progress.resends) + (progress.resends == 1 ? " resend" : " resends");
  return line;
}

ProgressBoard::ProgressBoard(std::ostream& terminal, Clock& clock, std::function<std::optional<Rows>()> rows)
    : terminal_(terminal), clock_(clock), rows_(std::move(rows)), startMs_(clock.NowMs()) {}

void ProgressBoard::Update(const WriterProgress& progress) {
  writers_.insert_or_assign(progress.port, progress);
  Erase();
  Draw();
}

void ProgressBoard::Erase() {
  if (linesDrawn_ == 0) return;
  terminal_ << "\x1b[" << linesDrawn_ << "A\r\x1b[J";
  linesDrawn_ = 0;
}

void ProgressBoard::Draw() {
  if (writers_.empty()) return;
  for (const auto& [port, progress] : writers_) terminal_ << WriterProgressLine(progress) << kClearToLineEnd << "\n";
  terminal_ << TotalLine() << kClearToLineEnd << "\n" << std::flush;
  linesDrawn_ = writers_.size() + 1;
}

// "rows: 12 done, 38 left  3.1 cards/min  about 12 min left"; without a list
// "cards: 12"; the rate once a card is done and a second has passed.
std::string ProgressBoard::TotalLine() const {
  const std::optional<Rows> rows = rows_();
  std::string line = rows ? "rows: " + std::to_string(rows->done) + " done, " + std::to_string(rows->left) + " left"
                          : "cards: " + std::to_string(cards_);
  const double minutes = static_cast<double>(clock_.NowMs() - startMs_) / 60000.0;
  if (cards_ == 0 || minutes < 1.0 / 60) return line;
  const double perMinute = static_cast<double>(cards_) / minutes;
  char rate[40];
  std::snprintf(rate, sizeof rate, "  %.1f cards/min", perMinute);
  line += rate;
  if (rows && rows->left > 0) line += "  " + TimeLeftText(static_cast<double>(rows->left) / perMinute);
  return line;
}

}  // namespace morvik
