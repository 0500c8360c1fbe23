#include "words/catalog.h"

#include <algorithm>

#include "words/help_catalog.h"

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
    Wording{kLineChooseList, {}, "Choose a list with Open", "「開く」でリストを選んでください"},
    Wording{kLineOpenTitle, {}, "Open a list", "リストを開く"},
    Wording{kLineCsvFiles, {}, "CSV files", "CSV ファイル"},
    Wording{kLineNotOpenedKept, {}, "No list opened: the list before stays", "リストを開きませんでした。前のリストのままです"},
    Wording{kLineNotOpenedChoose, {}, "No list opened. Choose a list with Open",
            "リストを開きませんでした。「開く」でリストを選んでください"},
    Wording{kLineListRefused, {"path", "why"}, "The list cannot be read.\n\n{path}\n{why}",
            "リストを読めません。\n\n{path}\n{why}"},
    Wording{kLineWhichEncoding, {"line", "asCp932", "asUtf8"},
            "Line {line} reads both as Shift JIS and as UTF-8.\n\nShift JIS: {asCp932}\nUTF-8: {asUtf8}\n\n"
            "Which shall it be read as?",
            "行 {line} はシフトJIS としても UTF-8 としても読めます。\n\nシフトJIS：{asCp932}\nUTF-8：{asUtf8}\n\n"
            "どちらとして読みますか？"},
    Wording{kLineShiftJis, {}, "Shift JIS", "シフトJIS"},
    Wording{kLineUtf8WithBom, {}, "UTF-8 with BOM", "UTF-8、BOM 付き"},
    Wording{kLineDoNotOpen, {}, "Do not open", "開かない"},
    Wording{kLineRowsAsked, {"rows", "question"}, "Rows {rows}: {question}", "行 {rows}：{question}"},
    Wording{kLineListRows, {"rows", "encoding"}, "{rows} rows ({encoding})", "{rows} 行（{encoding}）"},
    Wording{kLineAllDoneBefore, {}, ", all written before", "、前回までにすべて済み"},
    Wording{kLineSomeDoneBefore, {"rows"}, ", {rows} written before: writing goes on from there",
            "、前回までに {rows} 行済み：続きから書きます"},
    Wording{kLineHalfWrittenCount, {"cards"}, ", {cards} cards half written", "、途中のカード {cards} 枚"},
    Wording{kLineJournalUnreadable, {"error"}, "The journal cannot be read.\n\n{error}", "記録ファイルを読めません。\n\n{error}"},
    Wording{kLineJournalUnusable, {"error"}, "The journal cannot be used.\n\n{error}", "記録ファイルを使えません。\n\n{error}"},
    Wording{kLineNotAJournalRecord, {"journal", "line"}, "{journal}: line {line} is not a journal record",
            "{journal}：{line} 行目は記録の行ではありません"},
    Wording{kLineJournalWaiting, {}, "Waiting for the journal: another run is using it",
            "記録ファイルを待っています：ほかの実行が使っています"},
    Wording{kLineJournalLost, {"reason"}, "Stopped: the journal can no longer be written: {reason}",
            "記録ファイルに書けなくなったため止めました：{reason}"},
    Wording{kLineAllWritten, {}, "Every row of this list is written", "このリストはすべて書き込み済みです"},
    Wording{kLinePressStart, {}, "Press Start to begin writing", "「開始」を押すと書き込みを始めます"},
    Wording{kLineStart, {}, "&Start", "開始(&S)"},
    Wording{kLineFinishHalfWritten, {}, "&Finish the half-written cards", "途中のカードを仕上げる(&S)"},
    Wording{kLineLookingOnAllPorts, {}, "Looking for writers on COM1 to COM31", "COM1～COM31 でライターを探しています"},
    Wording{kLineConnecting, {}, "Connecting to the writers", "ライターにつないでいます"},
    Wording{kLineStopping, {}, "Stopping: the cards being written are finished first",
            "止めています。書き込み中のカードは最後まで書きます"},
    Wording{kLineAskStop, {}, "Stop writing?\nThe cards being written are finished first.",
            "書き込みを止めますか？\n書き込み中のカードは最後まで書きます。"},
    Wording{kLineClosingAfterCard, {}, "Closing once the cards being written are finished",
            "書き込み中のカードを書き終えてから閉じます"},
    Wording{kLineAllRowsWritten, {}, "Every row is written", "すべての行を書き終えました"},
    Wording{kLineStoppedRowsLeft, {"rows"}, "Stopped. Start goes on with the {rows} rows left",
            "止めました。残り {rows} 行は「開始」で続きから書きます"},
    Wording{kLinePlaceCard, {}, "Place a card", "カードを置いてください"},
    Wording{kLineWritingBlock, {"block", "blocks"}, "Writing block {block}/{blocks}", "書き込み中 ブロック {block}/{blocks}"},
    Wording{kLineReadingBack, {}, "Reading back", "読み返し中"},
    Wording{kLineOkPlaceNext, {}, "OK (place the next card)", "OK（次のカードを置いてください）"},
    Wording{kLineFailedPlaceNext, {}, "Failed (place the next card)", "失敗（次のカードを置いてください）"},
    Wording{kLineLookingForWriter, {}, "Looking for the writer", "ライターを探しています"},
    Wording{kLineEnded, {}, "Ended", "終了"},
    Wording{kLineSetAside, {}, "Resting (3 cards failed in a row)", "休止（3 枚続けて失敗）"},
    Wording{kLineCannotWriteHere, {}, "Cannot write on this writer", "このライターでは書けません"},
    Wording{kLineOnPort, {"port", "message"}, "{port}: {message}", "{port}：{message}"},
    Wording{kLineWriterFound, {"cid"}, "writer found (CID {cid})", "ライターが見つかりました（CID {cid}）"},
    Wording{kLineWriterNotAnswering, {}, "the writer does not answer; still looking",
            "ライターが応答しません。探し続けます"},
    Wording{kLineWriterLost, {}, "the writer stopped answering; still looking",
            "ライターの応答がなくなりました。探し続けます"},
    Wording{kLineWriterBack, {"cid"}, "the writer is back (CID {cid})", "ライターが戻りました（CID {cid}）"},
    Wording{kLineWriterSetAside, {}, "3 cards failed in a row: the writer rests. Check the writer and the cards",
            "3 枚続けて失敗したため休止します。ライターとカードを確かめてください"},
    Wording{kLineListRefusedByWriter, {"cid"}, "the writer with CID {cid} cannot write this list",
            "CID {cid} のライターではこのリストを書けません"},
    Wording{kLineCardDoneBefore, {"idm", "row"}, "card {idm} is written already{row}: it is not written twice",
            "カード {idm} は書き込み済みです{row}。もう一度は書きません"},
    Wording{kLineCardDoneBeforeRow, {"row"}, " (row {row})", "（行 {row}）"},
    Wording{kLineRowWithId, {"line", "id"}, "{line} ({id})", "{line}（{id}）"},
    Wording{kLineResultWriteFailed, {}, "Write failed", "書き込み失敗"},
    Wording{kLineResultVerifyFailed, {}, "Verify failed", "読み返し不一致"},
    Wording{kLineResultRemoved, {}, "Removed", "取り外し"},
    Wording{kLineResultInterrupted, {}, "Interrupted", "中断"},
    Wording{kLineResultWriterLost, {}, "Writer lost", "ライター応答なし"},
    Wording{kLineLostReadingBack, {"blocks"}, "the writer stopped answering while reading back ({blocks} blocks written)",
            "読み返し中にライターの応答がなくなりました（{blocks} ブロック書き込み済み）"},
    Wording{kLineFinishedHalfWritten, {}, "finished the card left half written before", "前回途中のカードを書き上げました"},
    Wording{kLineCardRefusesAt, {"block"}, "the card does not take it (block {block})",
            "カードが受け付けません（ブロック {block}）"},
    Wording{kLineReadsBackOtherAt, {"block"}, "it reads back different (block {block})",
            "読み返すと内容が違います（ブロック {block}）"},
    Wording{kLineRemovedAt, {"block"}, "taken off while written (block {block})", "書き込み中に外されました（ブロック {block}）"},
    Wording{kLineInterruptedAt, {"block"}, "cut short by Stop (block {block})", "停止で中断しました（ブロック {block}）"},
    Wording{kLineNotAnsweringAt, {"block"}, "the writer does not answer (block {block})",
            "ライターが応答しません（ブロック {block}）"},
    Wording{kLineFailedLostReadingBack, {"port", "idm"},
            "{port}: card {idm} is written, but the writer stopped answering while reading it back. Check the connection",
            "{port}：カード {idm} は書き込み済みですが、読み返し中にライターの応答がなくなりました。つなぎを確かめてください"},
    Wording{kLineFailedWrite, {"port", "idm"}, "{port}: card {idm} did not take the writing. Place it again",
            "{port}：カード {idm} は書き込みを受け付けませんでした。置き直してください"},
    Wording{kLineFailedVerify, {"port", "idm"}, "{port}: card {idm} read back different. Use another card",
            "{port}：カード {idm} は読み返すと内容が違いました。別のカードを使ってください"},
    Wording{kLineFailedRemoved, {"port", "idm"}, "{port}: card {idm} was taken off while written. Place it again",
            "{port}：カード {idm} は書き込み中に外されました。置き直してください"},
    Wording{kLineFailedInterrupted, {"port", "idm"},
            "{port}: card {idm} was left unfinished by Stop. Place it again at the next Start",
            "{port}：カード {idm} は停止したため途中でやめました。次の開始で置き直してください"},
    Wording{kLineFailedWriterLost, {"port", "idm"},
            "{port}: card {idm} could not be written: the writer does not answer. Check the connection",
            "{port}：カード {idm} は書き込めませんでした：ライターが応答しません。つなぎを確かめてください"},
    Wording{kLineWrittenRow, {"port", "row", "idm"}, "{port}: row {row} written on card {idm}",
            "{port}：行 {row} をカード {idm} に書き込みました"},
    Wording{kLineWrittenRowWithId, {"port", "row", "idm"}, "{port}: row {row} written on card {idm}",
            "{port}：行 {row}をカード {idm} に書き込みました"},
    Wording{kLineWrittenCard, {"port", "idm"}, "{port}: card {idm} written", "{port}：カード {idm} に書き込みました"},
    Wording{kLineRecordOfRow, {"row"}, "row {row} ", "行 {row} "},
    Wording{kLineRecord, {"idm", "result"}, "card {idm}: {result}", "カード {idm}：{result}"},
    Wording{kLineRecordWithReason, {"record", "reason"}, "{record}: {reason}", "{record}：{reason}"},
    Wording{kLineUnderAMinute, {}, "under a minute", "1 分未満"},
    Wording{kLineAboutMinutes, {"minutes"}, "about {minutes} min", "約 {minutes} 分"},
    Wording{kLineAboutHours, {"hours", "minutes"}, "about {hours} h {minutes} min", "約 {hours} 時間 {minutes} 分"},
    Wording{kLineHalfWrittenCards, {"count", "cards"},
            "{count} cards half written (placed on a writer, they are finished): {cards}",
            "途中のカード {count} 枚（ライターに置くと仕上げます）：{cards}"},
    Wording{kLineHalfWrittenCard, {"idm", "row", "port", "time"}, "card {idm} row {row} {port} {time}",
            "カード {idm} 行 {row} {port} {time}"},
    Wording{kLineListSeparator, {}, ", ", "、"},
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
};

// The messages' table and the help's, as one.
const std::vector<Wording>& AllWordings() {
  static const std::vector<Wording> all = [] {
    std::vector<Wording> wordings(kWordings.begin(), kWordings.end());
    wordings.insert(wordings.end(), HelpCatalog().begin(), HelpCatalog().end());
    return wordings;
  }();
  return all;
}

const Wording* WordingOf(Said kind) {
  const auto found = std::ranges::find(AllWordings(), kind, &Wording::kind);
  return found == AllWordings().end() ? nullptr : &*found;
}

}  // namespace

std::span<const Wording> Catalog() { return AllWordings(); }

std::string Say(const Saying& saying, Language language) {
  const Wording* wording = WordingOf(saying.kind);
  if (wording == nullptr) return {};
  // One pass over the wording: a value is put in as it is, so a value that
  // holds a "{name}" of its own is never taken for a place.
  std::string_view rest = language == Language::kJapanese ? wording->japanese : wording->english;
  std::string text;
  while (!rest.empty()) {
    const std::size_t open = rest.find('{');
    const std::size_t close = open == std::string_view::npos ? open : rest.find('}', open);
    if (close == std::string_view::npos) break;
    text += rest.substr(0, open);
    const std::string_view name = rest.substr(open + 1, close - open - 1);
    const auto named = std::ranges::find(wording->names, name);
    const auto index = static_cast<std::size_t>(named - wording->names.begin());
    if (named == wording->names.end()) {
      text += rest.substr(open, close - open + 1);
    } else if (index < saying.values.size()) {
      text += saying.values[index];
    }
    rest.remove_prefix(close + 1);
  }
  return text + std::string(rest);
}

}  // namespace morvik
