#include "cli/progress_board.h"

#include <cmath>
#include <cstdio>
#include <ostream>

#include "card/card_operations.h"
#include "production/card_record.h"
#include "words/catalog.h"

namespace morvik {
namespace {

// Each line of the board ends clearing the rest of the terminal's line.
constexpr std::string_view kClearToLineEnd = "\x1b[K";

Saying StepSaying(const WriterProgress& progress) {
  using Step = WriterProgress::Step;
  switch (progress.step) {
    case Step::kWaitingForCard: return {Said::kStepWaiting};
    case Step::kStarting: return {Said::kStepStarting};
    case Step::kWriting: return {Said::kStepBlock, {std::to_string(progress.block), std::to_string(kCardBlocks)}};
    case Step::kReadingBack: return {Said::kStepReadingBack};
    case Step::kFinished: return {Said::kStepDone};
  }
  return {Said::kStepDone};
}

// "about 12 min left", or "under a minute left" for the last cards.
Saying TimeLeftSaying(double minutes) {
  const long rounded = std::lround(minutes);
  if (rounded < 1) return {Said::kBoardUnderMinute};
  return {Said::kBoardMinutesLeft, {std::to_string(rounded)}};
}

}  // namespace

std::string WriterProgressLine(const WriterProgress& progress, Language language) {
  std::string line = progress.port;
  if (progress.line != 0) line += "  " + Say(RowSaying(progress.line, progress.id), language);
  if (!progress.idm.empty()) line += "  " + progress.idm;
  line += "  " + Say(StepSaying(progress), language);
  if (progress.resends > 0) line += "  " + Say(ResendsSaying(progress.resends), language);
  return line;
}

ProgressBoard::ProgressBoard(std::ostream& terminal, Clock& clock, std::function<std::optional<Rows>()> rows,
                             Language language)
    : terminal_(terminal), clock_(clock), rows_(std::move(rows)), language_(language), startMs_(clock.NowMs()) {}

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
  for (const auto& [port, progress] : writers_) terminal_ << WriterProgressLine(progress, language_) << kClearToLineEnd << "\n";
  terminal_ << TotalLine() << kClearToLineEnd << "\n" << std::flush;
  linesDrawn_ = writers_.size() + 1;
}

// "rows: 12 done, 38 left  3.1 cards/min  about 12 min left"; without a list
// "cards: 12"; the rate once a card is done and a second has passed.
std::string ProgressBoard::TotalLine() const {
  const std::optional<Rows> rows = rows_();
  std::string line =
      Say(rows ? Saying{Said::kRowsDoneLeft, {std::to_string(rows->done), std::to_string(rows->left)}}
               : Saying{Said::kBoardCards, {std::to_string(cards_)}},
          language_);
  const double minutes = static_cast<double>(clock_.NowMs() - startMs_) / 60000.0;
  if (cards_ == 0 || minutes < 1.0 / 60) return line;
  const double perMinute = static_cast<double>(cards_) / minutes;
  char rate[40];
  std::snprintf(rate, sizeof rate, "%.1f", perMinute);
  line += Say({Said::kBoardRate, {rate}}, language_);
  if (rows && rows->left > 0) line += "  " + Say(TimeLeftSaying(static_cast<double>(rows->left) / perMinute), language_);
  return line;
}

}  // namespace morvik
