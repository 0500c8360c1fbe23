// batch's progress at a terminal: one line per writer, updated in place (the
// port, the row and its id, the IDm, the block or the read-back, the resends),
// and a total line (rows done and left, cards per minute, time left). Every
// other line written to the terminal is written above it: erase, write, draw.
// Not locked: its one user, the record printer, calls it under its own lock.
#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>

#include "link/clock.h"
#include "production/batch_worker.h"
#include "words/language.h"

namespace morvik {

class ProgressBoard {
 public:
  // The rows of a list done and left; nullopt for a run without a list.
  struct Rows {
    std::size_t done;
    std::size_t left;
  };
  ProgressBoard(std::ostream& terminal, Clock& clock, std::function<std::optional<Rows>()> rows,
                Language language = Language::kEnglish);

  // Takes a writer's progress and draws the board again.
  void Update(const WriterProgress& progress);
  // A card reported, whatever its result.
  void CountCard() { ++cards_; }
  // Takes the board off the terminal, so that a line can be written in its place.
  void Erase();
  void Draw();

 private:
  std::string TotalLine() const;

  std::ostream& terminal_;
  Clock& clock_;
  std::function<std::optional<Rows>()> rows_;
  Language language_;
  std::int64_t startMs_;
  std::map<std::string, WriterProgress> writers_;  // by port, in the order of their names
  std::size_t cards_ = 0;
  std::size_t linesDrawn_ = 0;
};

// "COM3  row 7 (shop-1)  0123456789ABCDEF  block 23/64  1 resend"
std::string WriterProgressLine(const WriterProgress& progress, Language language = Language::kEnglish);

}  // namespace morvik
