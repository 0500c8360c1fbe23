#include "words/catalog.h"

#include <algorithm>

namespace morvik {
namespace {

using enum Said;

// The catalog is a table in the program: both builds carry it whole, with no
// file to find at run time and no library beyond the system's.
constexpr std::array kWordings{
    Wording{kAtLine, {"line", "problem"}, "line {line}: {problem}", "{line} 行目：{problem}"},
    Wording{kListUnreadable, {"reason"}, "{reason}", "リストを読めません：{reason}"},
    Wording{kNoHeaderRow, {}, "no header row", "見出しの行がありません"},
    Wording{kNoRows, {}, "no rows below the header", "見出しの下に行がありません"},
    Wording{kUnknownColumn, {"column"}, "unknown column: {column}", "{column} という列は使えません"},
    Wording{kColumnTwice, {"column"}, "column {column} given twice", "{column} の列が二つあります"},
    Wording{kOneCell, {"columns"}, "1 cell, the header names {columns}",
            "セルが 1 個です（見出しは {columns} 列）"},
    Wording{kCells, {"cells", "columns"}, "{cells} cells, the header names {columns}",
            "セルが {cells} 個あります（見出しは {columns} 列）"},
    Wording{kNotAFlag, {"column", "value"}, "{column}: {value} is not 1, 0, yes or no",
            "{column} は 1、0、yes、no のどれかで指定してください（{value}）"},
    Wording{kLineEndInCell, {"column", "idColumn"},
            "{column}: a line end in the cell (only the {idColumn} column may hold one; is a quote missing?)",
            "{column}：セルの中に改行があります（改行を入れられるのは {idColumn} の列だけです。引用符が抜けていませんか）"},
    Wording{kBadPosition, {"column", "value", "last"}, "bad value for --{column}: {value} (a list position 0-{last})",
            "{column} は 0～{last} で指定してください（{value}）"},
    Wording{kBadValue, {"column", "value"}, "bad value for --{column}: {value}",
            "{column} に {value} は指定できません"},
    Wording{kIdRepeated, {"id", "first"}, "id {id} is the id of line {first} too: every row's id must differ",
            "id {id} は {first} 行目と同じです。行ごとに違う id にしてください"},
    Wording{kColumnNeeds, {"column", "other"}, "--{column} needs --{other}",
            "{column} には {other} も指定してください"},
    Wording{kColumnsExclude, {"column", "other"}, "--{column} and --{other} exclude each other",
            "{column} と {other} は一緒に指定できません"},
    Wording{kNotOnUidCard, {"column", "other"},
            "--{other} does not go with --{column}: a UID setting card carries its start UID only",
            "{other} は {column} と一緒に指定できません：UID 設定カードには開始 UID だけを書きます"},
    Wording{kNotWithImage, {"column", "other"},
            "--{other} does not go with --{column}: the card gets the file's bytes as they are",
            "{other} は {column} と一緒に指定できません：カードにはファイルのバイトをそのまま書きます"},
    Wording{kNeedsStartUid, {}, "--uid-card needs a start UID", "uid-card には開始 UID を指定してください"},
    Wording{kControlCharacter, {"column", "code", "at"},
            "--{column}: a control character ({code}) at character {at}: the entry holds one line of text",
            "{column}：{at} 文字目に制御文字（{code}）があります。1 行の文字だけを入れてください"},
    Wording{kCardRefused, {"columns", "text"}, "{columns}: {text}", "{columns}：{text}"},
    Wording{kCardRefusedCounted, {"columns", "text", "bytes"}, "{columns}: {text} ({bytes} bytes)",
            "{columns}：{text}（{bytes} バイト）"},
    Wording{kRowRefused, {}, "refused", "この行は書けません"},
    Wording{kMoreProblems, {"count"}, "and {count} more", "ほか {count} 件"},
    Wording{kLookAlike, {"character", "writtenAs", "line"}, "{character} is written as {writtenAs} (line {line})",
            "{character} は {writtenAs} として書き込みます（{line} 行目）"},
    Wording{kLookAlikeInRows, {"character", "writtenAs", "line", "others"},
            "{character} is written as {writtenAs} (line {line} and {others} more)",
            "{character} は {writtenAs} として書き込みます（{line} 行目ほか {others} 行）"},
    Wording{kUsageError, {"problem", "help"}, "{problem} (see {help})", "{problem}（{help} を参照）"},
    Wording{kUnknownCommand, {"command"}, "unknown command: {command}", "{command} というコマンドはありません"},
    Wording{kUnknownCommandDidYouMean, {"command", "suggestion"}, "unknown command: {command} (did you mean {suggestion}?)",
            "{command} というコマンドはありません（{suggestion} のことですか）"},
    Wording{kUnexpectedArgument, {"argument"}, "unexpected argument: {argument}", "余分な引数です：{argument}"},
    Wording{kNeedsOperand, {"command", "operand"}, "{command} needs {operand}",
            "{command} には {operand} を指定してください"},
    Wording{kNeedsValue, {"option"}, "{option} needs a value", "{option} には値を指定してください"},
    Wording{kValueLooksLikeOption, {"option", "next"},
            "{option} needs a value; a text that begins with -- is written {option}={next}",
            "{option} には値を指定してください。-- で始まる値は {option}={next} と書きます"},
    Wording{kValueAfterEquals, {"option", "command", "next"}, "{option} takes its value after =: {command} {option}={next}",
            "{option} の値は = の後に書きます：{command} {option}={next}"},
    Wording{kDoesNotTake, {"command", "option"}, "{command} does not take {option}",
            "{command} に {option} は指定できません"},
    Wording{kDoesNotTakeDidYouMean, {"command", "option", "suggestion"},
            "{command} does not take {option} (did you mean {suggestion}?)",
            "{command} に {option} は指定できません（{suggestion} のことですか）"},
    Wording{kGivenTwice, {"option"}, "{option} given twice", "{option} が二度指定されています"},
    Wording{kTakesNoValue, {"option"}, "{option} takes no value", "{option} は値をとりません"},
    Wording{kNothingAfterEquals, {"option"}, "{option}= needs a value after the =",
            "{option}= の = の後に値を書いてください"},
    Wording{kNoOption, {"option"}, "no option {option}", "{option} というオプションはありません"},
    Wording{kBadOptionValue, {"option", "value", "range"}, "bad value for {option}: {value}{range}",
            "{option} に {value} は指定できません{range}"},
    Wording{kPortNoPermissionJoinGroup, {"group"}, "no permission (join the group {group})",
            "権限がありません（グループ {group} に参加してください）"},
    Wording{kPortNoPermissionJoinOwners, {}, "no permission (join the group that owns the device)",
            "権限がありません（デバイスの所有グループに参加してください）"},
    Wording{kPortNoPermissionOnly, {"owner"},
            "no permission (only {owner} may open it: ask the administrator to give it to the group dialout)",
            "権限がありません（開けるのは {owner} だけです。デバイスをグループ dialout に与えるよう管理者に依頼してください）"},
    Wording{kPortBusy, {}, "in use by another program", "他のプログラムが使用中です"},
    Wording{kPortBusyBy, {"holders"}, "in use by another program: {holders}", "他のプログラムが使用中です：{holders}"},
    Wording{kPortNoSuchPort, {}, "no such port", "そのポートはありません"},
    Wording{kPortNotSerial, {}, "not a serial device", "シリアルデバイスではありません"},
    Wording{kPortNoAnswer, {}, "nothing answered", "応答がありません"},
    Wording{kPortDamaged, {}, "replies arrive damaged: check the cable and what runs beside it",
            "応答が壊れて届きます。ケーブルと、そばで動いている機器を確認してください"},
    Wording{kAllWriters, {}, "all", "全ライター"},
    Wording{kTallyOneCard, {"port", "ok"}, "{port}: 1 card, {ok} ok", "{port}：カード 1 枚、OK {ok}"},
    Wording{kTallyCards, {"port", "cards", "ok"}, "{port}: {cards} cards, {ok} ok", "{port}：カード {cards} 枚、OK {ok}"},
    Wording{kTallyWriteFailed, {"count"}, ", {count} write failed", "、書き込み失敗 {count}"},
    Wording{kTallyVerifyFailed, {"count"}, ", {count} verify failed", "、読み返し不一致 {count}"},
    Wording{kTallyRemoved, {"count"}, ", {count} removed", "、取り外し {count}"},
    Wording{kTallyInterrupted, {"count"}, ", {count} interrupted", "、中断 {count}"},
    Wording{kTallyWriterLost, {"count"}, ", {count} writer lost", "、ライター応答なし {count}"},
    Wording{kTallyOneResend, {}, ", 1 resend", "、再送 1 回"},
    Wording{kTallyResends, {"count"}, ", {count} resends", "、再送 {count} 回"},
    Wording{kTallyNote, {"note"}, "; {note}", "；{note}"},
    Wording{kRowRef, {"row"}, "row {row}", "{row} 行目"},
    Wording{kRowRefId, {"row", "id"}, "row {row} ({id})", "{row} 行目（{id}）"},
    Wording{kInParens, {"text"}, " ({text})", "（{text}）"},
    Wording{kResultOk, {}, "ok", "OK"},
    Wording{kResultOkNotReadBack, {}, "ok, not read back", "OK（読み返しなし）"},
    Wording{kResultWriteFailed, {"block"}, "write failed at block {block}", "書き込み失敗（ブロック {block}）"},
    Wording{kResultVerifyFailed, {"block"}, "verify failed at block {block}", "読み返し不一致（ブロック {block}）"},
    Wording{kResultRemoved, {}, "card removed", "カード取り外し"},
    Wording{kResultInterrupted, {"block"}, "interrupted at block {block}", "中断（ブロック {block}）"},
    Wording{kResultWriterLost, {"block"}, "writer lost at block {block}", "ライター応答なし（ブロック {block}）"},
    Wording{kRecordLine, {"head", "result", "seconds"}, "{head} {result} {seconds}s", "{head} {result} {seconds} 秒"},
    Wording{kOneResend, {}, "1 resend", "再送 1 回"},
    Wording{kResends, {"count"}, "{count} resends", "再送 {count} 回"},
    Wording{kFoundInDoubt, {}, "found in doubt", "途中のカードとして見つかりました"},
    Wording{kHistoryInDoubt, {"head"}, "{head} in doubt: started, no result", "{head} 途中：開始の記録だけで結果がありません"},
    Wording{kJournalWaiting, {"journal"}, "{journal}: waiting for the journal: another run is using it",
            "{journal}：ほかの実行がジャーナルを使っています。空くのを待っています"},
    Wording{kJournalNone, {"journal"}, "{journal}: no journal yet, starting at the first row",
            "{journal}：ジャーナルはまだありません。最初の行から始めます"},
    Wording{kJournalBadLine, {"journal", "line"}, "{journal}: line {line} is not a journal record",
            "{journal}：{line} 行目はジャーナルの記録ではありません"},
    Wording{kJournalOneCutShort, {"journal"}, "{journal}: 1 line cut short (a run ended while writing it) skipped",
            "{journal}：途中で切れた行 1 行を飛ばしました（書き込み中に実行が終わった行です）"},
    Wording{kJournalCutShort, {"journal", "count"},
            "{journal}: {count} lines cut short (a run ended while writing it) skipped",
            "{journal}：途中で切れた行 {count} 行を飛ばしました（書き込み中に実行が終わった行です）"},
    Wording{kJournalOneOtherList, {"journal"}, "{journal}: 1 record of other lists skipped",
            "{journal}：ほかのリストの記録 1 件を飛ばしました"},
    Wording{kJournalOtherLists, {"journal", "count"}, "{journal}: {count} records of other lists skipped",
            "{journal}：ほかのリストの記録 {count} 件を飛ばしました"},
    Wording{kOneRow, {}, "1 row", "1 行"},
    Wording{kRows, {"count"}, "{count} rows", "{count} 行"},
    Wording{kEncodingUtf8WithBom, {}, "UTF-8 with BOM", "UTF-8（BOM 付き）"},
    Wording{kEncodingUtf8, {}, "UTF-8", "UTF-8（BOM なし）"},
    Wording{kEncodingCp932, {}, "code page 932", "シフトJIS"},
    Wording{kListStanding, {"rows", "encoding", "done", "notReadBack"}, "{rows} ({encoding}), {done} done before{notReadBack}",
            "{rows}（{encoding}）、書き込み済み {done} 行{notReadBack}"},
    Wording{kListEdited, {"rows", "encoding", "added", "changed", "again", "done"},
            "{rows} ({encoding}), {added} added, {changed} changed since written ({again}), {done} done",
            "{rows}（{encoding}）、追加 {added}、書き込み後に変わった行 {changed} 行（{again}）、書き込み済み {done} 行"},
    Wording{kListNotReadBack, {"count"}, " ({count} of them not read back)", "（うち読み返しなし {count} 行）"},
    Wording{kListGone, {"rows"}, ", {rows} done no longer in the list", "、リストから消えた書き込み済みの行 {rows}"},
    Wording{kWrittenAgain, {}, "written again", "書き直します"},
    Wording{kNotWrittenAgain, {}, "not written again", "書き直しません"},
    Wording{kNotWrittenAgainHint, {}, "not written again (--rewrite-changed writes it)",
            "書き直しません（--rewrite-changed で書き直します）"},
    Wording{kRowChanged, {"line", "id", "idm", "time", "again"},
            "row {line} ({id}) changed since card {idm} was written with it ({time}): {again}",
            "{line} 行目（{id}）はカード {idm} に書き込んだ後（{time}）に変わっています：{again}"},
    Wording{kCardInDoubt, {"idm", "row", "port", "time", "gone"},
            "card {idm} may hold part of {row}, started on {port} at {time}: put it on a writer to finish it{gone}",
            "カード {idm} には {row} が途中まで書かれているかもしれません（{port}、{time} に開始）。ライターに載せて仕上げてください{gone}"},
    Wording{kRunGone, {}, " (its run is gone)", "（その実行は終わっています）"},
    Wording{kCardNotSeen, {"idm", "row", "port", "time"},
            "card {idm} was not seen: it may still hold part of {row}, started on {port} at {time}",
            "カード {idm} は見つかりませんでした。{row} が途中まで書かれているかもしれません（{port}、{time} に開始）"},
    Wording{kOnlyDoubts, {}, "every row is done: put each card in doubt on a writer to finish it (Ctrl-C ends the run)",
            "すべての行を書き込み済みです。途中のカードをライターに載せて仕上げてください（Ctrl-C で終わります）"},
    Wording{kRowsDoneLeft, {"done", "left"}, "rows: {done} done, {left} left", "行：書き込み済み {done}、残り {left}"},
    Wording{kNoWriterOn, {"ports"}, "no writer answers on {ports}", "{ports} で応答するライターがありません"},
    Wording{kStepWaiting, {}, "waiting for a card", "カード待ち"},
    Wording{kStepStarting, {}, "starting", "開始中"},
    Wording{kStepBlock, {"block", "blocks"}, "block {block}/{blocks}", "ブロック {block}/{blocks}"},
    Wording{kStepReadingBack, {}, "reading back", "読み返し中"},
    Wording{kStepDone, {}, "done", "完了"},
    Wording{kBoardCards, {"count"}, "cards: {count}", "カード：{count} 枚"},
    Wording{kBoardRate, {"rate"}, "  {rate} cards/min", "  毎分 {rate} 枚"},
    Wording{kBoardUnderMinute, {}, "under a minute left", "残り 1 分未満"},
    Wording{kBoardMinutesLeft, {"minutes"}, "about {minutes} min left", "残り約 {minutes} 分"},
};

const Wording* WordingOf(Said kind) {
  const auto found = std::ranges::find(kWordings, kind, &Wording::kind);
  return found == kWordings.end() ? nullptr : &*found;
}

}  // namespace

std::span<const Wording> Catalog() { return kWordings; }

std::string Say(const Saying& saying, Language language) {
  const Wording* wording = WordingOf(saying.kind);
  if (wording == nullptr) return {};
  std::string text(language == Language::kJapanese ? wording->japanese : wording->english);
  std::size_t index = 0;
  for (const std::string_view name : wording->names) {
    if (name.empty()) break;
    const std::string_view value = index < saying.values.size() ? std::string_view(saying.values[index]) : "";
    ++index;
    const std::string mark = "{" + std::string(name) + "}";
    for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + value.size())) {
      text.replace(at, mark.size(), value);
    }
  }
  return text;
}

}  // namespace morvik
