#include "cli/tally_words.h"

#include <utility>

#include "words/catalog.h"

namespace morvik {

std::string TallyLine(const WriterTally& tally, bool total, Language language) {
  const std::string port = total ? Say({Said::kAllWriters}, language) : tally.port;
  const std::string ok = std::to_string(tally.ok);
  std::string text = tally.cards() == 1 ? Say({Said::kTallyOneCard, {port, ok}}, language)
                                        : Say({Said::kTallyCards, {port, std::to_string(tally.cards()), ok}}, language);
  const std::pair<int, Said> counts[] = {{tally.writeFailed, Said::kTallyWriteFailed},
                                         {tally.verifyFailed, Said::kTallyVerifyFailed},
                                         {tally.removed, Said::kTallyRemoved},
                                         {tally.interrupted, Said::kTallyInterrupted},
                                         {tally.writerLost, Said::kTallyWriterLost}};
  for (const auto& [count, kind] : counts) {
    if (count > 0) text += Say({kind, {std::to_string(count)}}, language);
  }
  if (tally.resends == 1) text += Say({Said::kTallyOneResend}, language);
  if (tally.resends > 1) text += Say({Said::kTallyResends, {std::to_string(tally.resends)}}, language);
  // What the writer got over or why it stopped: the run's own notes.
  for (const std::string* note : {&tally.recovered, &tally.problem}) {
    if (!note->empty()) text += Say({Said::kTallyNote, {*note}}, language);
  }
  return text;
}

}  // namespace morvik
