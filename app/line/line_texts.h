// What the production window says, in the operator's words: the list, each
// writer's state, a card's result and why it failed, the totals. Pure: values
// in, UTF-8 texts out, worded by the catalog in Japanese whatever the
// user's language.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/csv_reader.h"
#include "production/batch_worker.h"
#include "production/card_record.h"
#include "production/journal.h"
#include "words/catalog.h"

namespace morvik::line_texts {

// A message of the catalog as the window says it: in Japanese, whatever the
// user's language.
std::string Words(Said kind, std::vector<std::string> values = {});

// "12 行（UTF-8）、前回までに 3 行済み：続きから書きます" ("、前回までにすべて
// 済み" when none is left), then what an edit of the list changed since its
// cards were written ("、追加 2 行、書き込み後に変わった行 1 行（書き直しません）、
// リストから消えた書き込み済みの行 1 行"), and the cards an earlier run left
// half written: "、途中のカード 1 枚". doneBefore: the rows not to write.
std::string ListInfo(std::size_t rows, CsvEncoding encoding, std::size_t doneBefore, std::size_t inDoubt,
                     const ListChanges& changes = {}, bool rewriteChanged = false);

// A writer at work: "カードを置いてください", "書き込み中 ブロック 12/64", "読み返し中".
std::string WriterState(const WriterProgress& progress);
// Waiting after a card: "OK（次のカードを置いてください）", "失敗（次のカードを置いてください）".
std::string WaitingAfter(CardResult last);
std::string LookingForWriter();
std::string Ended();
// A writer's event as its state ("ライターを探しています"); empty when the
// state stays as it is.
std::string StateAfter(const WriterEvent& event);
// The same event as the message line says it, with the port.
std::string EventMessage(const WriterEvent& event);

// The row a card carries: "7（shop-1）", "7" without an id; "" without a list.
std::string RowOf(std::size_t line, const std::string& id);
// A list whose bytes read both ways: its first such line both ways, then
// the question; the answers are EncodingChoices().
std::string WhichEncoding(const CsvAmbiguity& ambiguity);
// シフトJIS (what a spreadsheet on a Japanese PC saves), UTF-8, 開かない.
std::vector<std::string> EncodingChoices();
// The rows a question of the list concerns, then the question: "行 3, 8：..."
std::string RowsAsked(const std::vector<std::size_t>& lines, const std::string& question);
// A question with more to it than its box shows at once: the detail, when
// not empty, holds the rest whole.
struct Asked {
  std::string text;
  std::string detail;
};
// The one question for the rows whose cells changed after their card was
// written, each named (its line now, its id, that card's IDm and time): in
// the text when they are few, else every one in the detail. The answers are
// RewriteChoices().
Asked AskRewrite(const std::vector<CardRecord>& changed);
// 書き直す, 書き直さない.
std::vector<std::string> RewriteChoices();
// "OK", "書き込み失敗", "読み返し不一致", "取り外し", "中断", "ライター応答なし".
std::string Result(CardResult result);
// Why a card failed, in words an operator knows; for an ok card what was
// special about it, else "". readingBack: the writer was reading the card
// back, every block written, when the card ended.
std::string Reason(const CardRecord& record, bool readingBack);
// A failed card as the message line says it: the card, what happened, what
// to do ("COM3：カード 0123456789ABCDEF は書き込み中に外されました。置き直してください").
std::string FailureMessage(const CardRecord& record, bool readingBack);
// A card written as the message line says it:
// "COM3：行 7（shop-1）をカード 0123456789ABCDEF に書き込みました".
std::string WrittenMessage(const CardRecord& record);
// A card of the recent cards list, whole, as the message line says it when
// its row is selected: "行 7（shop-1） カード 0123456789ABCDEF：読み返し不一致：読み返すと内容が違います（ブロック 5）".
std::string RecordLine(const CardRecord& record, bool readingBack);

// Cards per minute with one decimal, "－" while there is none to tell.
std::string Rate(std::optional<double> cardsPerMinute);
// "約 3 分", "約 1 時間 5 分", "1 分未満", "－" while unknown.
std::string TimeLeft(std::optional<double> minutes);

// The cards in doubt (one at least) on the message line: one named with its
// IDm, row, writer and the time its started record was made ("途中のカード 1
// 枚（ライターに置くと仕上げます）：カード X 行 2（A） COM3 TIME"); more counted,
// as each has a line of its own in the recent cards.
std::string CardsInDoubt(const std::vector<CardRecord>& started);
// A card in doubt in the recent cards: its result "途中" and reason
// "COM3 TIME に開始：ライターに置くと仕上げます", and the whole as the message
// line says it when its row is selected.
std::string HalfWrittenResult();
std::string HalfWrittenReason(const CardRecord& started);
std::string HalfWrittenLine(const CardRecord& started);

// A journal with a line that is not one of its records: "記録.jsonl：3 行目は記録の行ではありません".
std::string NotAJournalRecord(const std::string& journal, std::size_t line);

// The Start button's label: "開始(&S)", or "途中のカードを仕上げる(&S)" once
// every row is done while cards are in doubt.
std::string StartLabel(bool onlyCardsInDoubt);

}  // namespace morvik::line_texts
