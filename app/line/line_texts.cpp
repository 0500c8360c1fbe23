#include "app/line/line_texts.h"

#include <cmath>
#include <cstdio>

#include "card/block_commands.h"

namespace morvik::line_texts {
namespace {

using enum Said;

std::string Number(std::size_t value) { return std::to_string(value); }

std::string EncodingName(CsvEncoding encoding) {
  switch (encoding) {
    case CsvEncoding::kUtf8WithBom: return Words(kLineUtf8WithBom);
    case CsvEncoding::kUtf8: return "UTF-8";
    case CsvEncoding::kCp932: return Words(kLineShiftJis);
  }
  return "";
}

std::string Block(const CardRecord& record) { return std::to_string(record.block); }

std::string PortAndCard(Said kind, const CardRecord& record) { return Words(kind, {record.port, record.idm}); }

}  // namespace

std::string Words(Said kind, std::vector<std::string> values) {
  return Say({kind, std::move(values)}, Language::kJapanese);
}

std::string ListInfo(std::size_t rows, CsvEncoding encoding, std::size_t doneBefore, std::size_t inDoubt,
                     const ListChanges& changes, bool rewriteChanged) {
  std::string text = Words(kLineListRows, {Number(rows), EncodingName(encoding)});
  if (doneBefore >= rows) {
    text += Words(kLineAllDoneBefore);
  } else if (doneBefore > 0) {
    text += Words(kLineSomeDoneBefore, {Number(doneBefore)});
  }
  if (changes.edited && changes.added > 0) text += Words(kLineRowsAdded, {Number(changes.added)});
  if (changes.changed > 0) {
    text += Words(kLineRowsChanged,
                  {Number(changes.changed), Words(rewriteChanged ? kWrittenAgain : kNotWrittenAgain)});
  }
  if (changes.gone > 0) text += Words(kLineRowsGone, {Number(changes.gone)});
  if (inDoubt > 0) text += Words(kLineHalfWrittenCount, {Number(inDoubt)});
  return text;
}

std::string WriterState(const WriterProgress& progress) {
  switch (progress.step) {
    case WriterProgress::Step::kWaitingForCard: return Words(kLinePlaceCard);
    case WriterProgress::Step::kStarting:
    case WriterProgress::Step::kWriting:
      return Words(kLineWritingBlock, {std::to_string(progress.block), std::to_string(kCardBlocks)});
    case WriterProgress::Step::kReadingBack: return Words(kLineReadingBack);
    case WriterProgress::Step::kFinished: return "";
  }
  return "";
}

std::string WaitingAfter(CardResult last) {
  return Words(last == CardResult::kOk ? kLineOkPlaceNext : kLineFailedPlaceNext);
}

std::string LookingForWriter() { return Words(kLineLookingForWriter); }

std::string Ended() { return Words(kLineEnded); }

std::string StateAfter(const WriterEvent& event) {
  switch (event.kind) {
    case WriterEvent::Kind::kFound:
    case WriterEvent::Kind::kBack: return Words(kLinePlaceCard);
    case WriterEvent::Kind::kNotAnswering:
    case WriterEvent::Kind::kLost: return LookingForWriter();
    case WriterEvent::Kind::kSetAside: return Words(kLineSetAside);
    case WriterEvent::Kind::kContentRefused: return Words(kLineCannotWriteHere);
    case WriterEvent::Kind::kDoneBefore: return "";
  }
  return "";
}

namespace {

std::string EventOnPort(const WriterEvent& event) {
  switch (event.kind) {
    case WriterEvent::Kind::kFound: return Words(kLineWriterFound, {event.cid});
    case WriterEvent::Kind::kNotAnswering: return Words(kLineWriterNotAnswering);
    case WriterEvent::Kind::kLost: return Words(kLineWriterLost);
    case WriterEvent::Kind::kBack: return Words(kLineWriterBack, {event.cid});
    case WriterEvent::Kind::kSetAside: return Words(kLineWriterSetAside);
    case WriterEvent::Kind::kContentRefused: return Words(kLineListRefusedByWriter, {event.cid});
    case WriterEvent::Kind::kDoneBefore:
      return Words(kLineCardDoneBefore,
                   {event.idm, event.row > 0 ? Words(kLineCardDoneBeforeRow, {RowOf(event.row, event.id)}) : ""});
  }
  return "";
}

}  // namespace

std::string EventMessage(const WriterEvent& event) { return Words(kLineOnPort, {event.port, EventOnPort(event)}); }

std::string RowOf(std::size_t line, const std::string& id) {
  if (line == 0) return "";
  return id.empty() ? Number(line) : Words(kLineRowWithId, {Number(line), id});
}

std::string WhichEncoding(const CsvAmbiguity& ambiguity) {
  return Words(kLineWhichEncoding, {Number(ambiguity.line), ambiguity.asCp932, ambiguity.asUtf8});
}

std::vector<std::string> EncodingChoices() { return {Words(kLineShiftJis), "UTF-8", Words(kLineDoNotOpen)}; }

std::string RowsAsked(const std::vector<std::size_t>& lines, const std::string& question) {
  std::string rows;
  for (const std::size_t line : lines) rows += (rows.empty() ? "" : ", ") + Number(line);
  return Words(kLineRowsAsked, {rows, question});
}

Asked AskRewrite(const std::vector<CardRecord>& changed) {
  // More than this many rows would make the box taller than a screen.
  constexpr std::size_t kNamedInText = 8;
  std::string rows;
  for (const CardRecord& card : changed) {
    rows += (rows.empty() ? "" : "\n") + Words(kLineChangedRow, {RowOf(card.row, card.id), card.idm, card.time});
  }
  if (changed.size() <= kNamedInText) return {Words(kLineAskRewrite, {Number(changed.size()), rows}), ""};
  return {Words(kLineAskRewriteMany, {Number(changed.size())}), rows};
}

std::vector<std::string> RewriteChoices() { return {Words(kLineRewrite), Words(kLineNoRewrite)}; }

std::string Result(CardResult result) {
  switch (result) {
    case CardResult::kOk: return "OK";
    case CardResult::kWriteFailed: return Words(kLineResultWriteFailed);
    case CardResult::kVerifyFailed: return Words(kLineResultVerifyFailed);
    case CardResult::kRemoved: return Words(kLineResultRemoved);
    case CardResult::kInterrupted: return Words(kLineResultInterrupted);
    case CardResult::kWriterLost: return Words(kLineResultWriterLost);
  }
  return "";
}

std::string Reason(const CardRecord& record, bool readingBack) {
  if (record.result == CardResult::kWriterLost && readingBack) {
    return Words(kLineLostReadingBack, {std::to_string(kCardBlocks)});
  }
  switch (record.result) {
    case CardResult::kOk: return record.foundInDoubt ? Words(kLineFinishedHalfWritten) : "";
    case CardResult::kWriteFailed: return Words(kLineCardRefusesAt, {Block(record)});
    case CardResult::kVerifyFailed: return Words(kLineReadsBackOtherAt, {Block(record)});
    case CardResult::kRemoved: return Words(kLineRemovedAt, {Block(record)});
    case CardResult::kInterrupted: return Words(kLineInterruptedAt, {Block(record)});
    case CardResult::kWriterLost: return Words(kLineNotAnsweringAt, {Block(record)});
  }
  return "";
}

std::string FailureMessage(const CardRecord& record, bool readingBack) {
  if (record.result == CardResult::kWriterLost && readingBack) return PortAndCard(kLineFailedLostReadingBack, record);
  switch (record.result) {
    case CardResult::kOk: return "";
    case CardResult::kWriteFailed: return PortAndCard(kLineFailedWrite, record);
    case CardResult::kVerifyFailed: return PortAndCard(kLineFailedVerify, record);
    case CardResult::kRemoved: return PortAndCard(kLineFailedRemoved, record);
    case CardResult::kInterrupted: return PortAndCard(kLineFailedInterrupted, record);
    case CardResult::kWriterLost: return PortAndCard(kLineFailedWriterLost, record);
  }
  return "";
}

std::string WrittenMessage(const CardRecord& record) {
  if (record.row == 0) return PortAndCard(kLineWrittenCard, record);
  return Words(record.id.empty() ? kLineWrittenRow : kLineWrittenRowWithId,
               {record.port, RowOf(record.row, record.id), record.idm});
}

std::string RecordLine(const CardRecord& record, bool readingBack) {
  const std::string row = record.row > 0 ? Words(kLineRecordOfRow, {RowOf(record.row, record.id)}) : "";
  const std::string line = row + Words(kLineRecord, {record.idm, Result(record.result)});
  const std::string reason = Reason(record, readingBack);
  return reason.empty() ? line : Words(kLineRecordWithReason, {line, reason});
}

std::string Rate(std::optional<double> cardsPerMinute) {
  if (!cardsPerMinute) return "－";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", *cardsPerMinute);
  return text;
}

std::string TimeLeft(std::optional<double> minutes) {
  if (!minutes) return "－";
  if (*minutes < 1) return Words(kLineUnderAMinute);
  const auto whole = static_cast<long>(std::lround(*minutes));
  if (whole < 60) return Words(kLineAboutMinutes, {std::to_string(whole)});
  return Words(kLineAboutHours, {std::to_string(whole / 60), std::to_string(whole % 60)});
}

std::string CardsInDoubt(const std::vector<CardRecord>& started) {
  if (started.size() != 1) return Words(kLineHalfWrittenListed, {Number(started.size())});
  const CardRecord& card = started.front();
  return Words(kLineHalfWrittenCards,
               {"1", Words(kLineHalfWrittenCard, {card.idm, RowOf(card.row, card.id), card.port, card.time})});
}

std::string HalfWrittenResult() { return Words(kLineResultHalfWritten); }

std::string HalfWrittenReason(const CardRecord& started) {
  return Words(kLineHalfWrittenReason, {started.port, started.time});
}

std::string HalfWrittenLine(const CardRecord& started) {
  const std::string row = started.row > 0 ? Words(kLineRecordOfRow, {RowOf(started.row, started.id)}) : "";
  return Words(kLineRecordWithReason,
               {row + Words(kLineRecord, {started.idm, HalfWrittenResult()}), HalfWrittenReason(started)});
}

std::string NotAJournalRecord(const std::string& journal, std::size_t line) {
  return Words(kLineNotAJournalRecord, {journal, Number(line)});
}

std::string StartLabel(bool onlyCardsInDoubt) { return Words(onlyCardsInDoubt ? kLineFinishHalfWritten : kLineStart); }

}  // namespace morvik::line_texts
