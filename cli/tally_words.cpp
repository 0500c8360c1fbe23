#include "cli/tally_words.h"

#include <utility>

#include "cli/port_reasons.h"
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
  std::string recovered;
  for (const Saying& said : tally.recoveredSaid) {
    recovered += Say(recovered.empty() ? said : Saying{Said::kTallyNoteMore, {Say(said, language)}}, language);
  }
  if (!recovered.empty()) text += Say({Said::kTallyNote, {recovered}}, language);
  if (tally.problemSaid) text += Say({Said::kTallyNote, {Say(*tally.problemSaid, language)}}, language);
  return text;
}

namespace {

Saying EventSaying(const WriterEvent& e, Language language) {
  using Kind = WriterEvent::Kind;
  switch (e.kind) {
    case Kind::kFound: return {Said::kWriterFound, {e.port, e.cid}};
    case Kind::kNotAnswering:
      return {Said::kWriterNotAnswering,
              {e.port, Say(e.tried ? PortReason(*e.tried) : Saying{Said::kWriterNoAnswer}, language)}};
    case Kind::kLost: return {Said::kWriterLostLooking, {e.port}};
    case Kind::kBack: return {Said::kWriterBack, {e.port}};
    case Kind::kSetAside: return {Said::kWriterSetAside, {e.port}};
    case Kind::kContentRefused: return {Said::kWriterContentRefused, {e.port}};
    case Kind::kDoneBefore:
      if (e.row == 0) return {Said::kDoneBefore, {e.port, e.idm}};
      if (e.id.empty()) return {Said::kDoneBeforeRow, {e.port, e.idm, std::to_string(e.row)}};
      return {Said::kDoneBeforeRowId, {e.port, e.idm, std::to_string(e.row), e.id}};
  }
  return {Said::kWriterNoAnswer};
}

}  // namespace

std::optional<std::string> WriterEventLine(const WriterEvent& event, bool announceWriters, Language language) {
  if (event.kind == WriterEvent::Kind::kFound && !event.late && !announceWriters) return std::nullopt;
  return Say(EventSaying(event, language), language);
}

}  // namespace morvik
