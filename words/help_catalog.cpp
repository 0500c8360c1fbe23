#include "words/help_catalog.h"

#include <array>

namespace morvik {
namespace {

using enum Said;

constexpr std::array kHelpWordings{
    Wording{kHelpUsageHead, {}, "usage:", "使い方:"},
    Wording{kHelpOrHelpCommand, {}, "(or: morvik-card help COMMAND)", "（または morvik-card help COMMAND）"},
    Wording{kHelpCommands, {}, "commands:", "コマンド:"},
    Wording{kHelpHowToWrite, {},
            "Options are written --name VALUE or --name=VALUE; texts are UTF-8. A value\n"
            "that begins with --, and an optional [=VALUE], are written with =.\n"
            "The writer is looked for on COM1-COM31; MORVIK_PORT_DIR may name a folder\n"
            "of links COM1..COM31 to other devices (the simulator makes them).\n",
            "オプションは --name VALUE または --name=VALUE と書きます。文字は UTF-8 です。\n"
            "-- で始まる値と、省略できる [=VALUE] は = を付けて書きます。\n"
            "ライターは COM1～COM31 で探します。MORVIK_PORT_DIR には、COM1..COM31 から別の\n"
            "デバイスへのリンクを置いたフォルダーを指定できます（シミュレーターが作ります）。\n"},
    Wording{kHelpOptions, {}, "options:", "オプション:"},
    Wording{kHelpExitStatus, {}, "exit status:", "終了ステータス:"},
    Wording{kHelpKeywords, {},
            "Keywords in --url, --title and --body: [IM] the card's IDm, [CT] a counter right\n"
            "after [IM], [CI] the customer ID, [UI] the terminal's ID (left as typed).",
            "--url、--title、--body のキーワード：[IM] カードの IDm、[CT] [IM] の直後に\n"
            "置くカウンタ、[CI] カスタマーID、[UI] Morvik端末ID（入力したまま残ります）。"},
    Wording{kExitDone, {}, "done", "完了"},
    Wording{kExitCardFailed, {}, "the card operation failed, or the writer's replies arrive damaged",
            "カードの操作に失敗したか、ライターの応答が壊れて届きます"},
    Wording{kExitUsage, {}, "usage or bad input (texts, limits, a question answered Cancel)",
            "使い方か入力の誤り（文字、制限、キャンセルと答えた質問）"},
    Wording{kExitNoWriter, {}, "no writer found", "ライターが見つかりません"},
    Wording{kExitNoCard, {}, "no card on the writer, or the wait ended",
            "ライターにカードがないか、待ち時間が終わりました"},
    Wording{kExitVerifyMismatch, {}, "the card does not hold what was written",
            "カードの内容が書き込んだものと違います"},
    Wording{kExitOutputLost, {}, "an output (standard output, --out, --log) could not be written",
            "出力（標準出力、--out、--log）に書き込めませんでした"},
    Wording{kExitInterrupted, {}, "interrupted", "中断されました"},
    Wording{kSummaryConnect, {}, "find the writer; print its port and version report",
            "ライターを探し、ポートとバージョン情報を表示します"},
    Wording{kSummaryPorts, {}, "list the ports COM1-COM31 and what answers on each",
            "COM1～COM31 の各ポートと、そこで応答するものを一覧表示します"},
    Wording{kSummaryImage, {}, "compose a card offline and print it (no writer needed)",
            "カードをオフラインで作成して表示します（ライター不要）"},
    Wording{kSummaryDecode, {}, "say what a card image means", "カードイメージの内容を表示します"},
    Wording{kSummaryUid, {}, "print the IDm of the card on the writer", "ライター上のカードの IDm を表示します"},
    Wording{kSummaryWrite, {}, "write a card composed from the options, or --image FILE",
            "オプションから作成したカード、または --image FILE を書き込みます"},
    Wording{kSummaryClear, {}, "erase the card on the writer (64 zero blocks); needs --yes",
            "ライター上のカードを消去します（ゼロのブロック 64 個）。--yes が必要です"},
    Wording{kSummaryDump, {}, "read the whole card and print it", "カード全体を読み取って表示します"},
    Wording{kSummaryBatch, {}, "write and read back every new card put on the writer(s), one line per card",
            "新しく置かれたカードに次々に書き込んで読み返し、1 枚 1 行で表示します"},
    Wording{kSummaryHistory, {}, "which row is on which card, from batch's journals",
            "batch のジャーナルから、どの行がどのカードに書かれたかを表示します"},
    Wording{kSummaryVerify, {}, "compare the card on the writer with the content options",
            "ライター上のカードを内容のオプションと比較します"},
    Wording{kAboutConnect, {},
            "Looks for the card writer on COM1-COM31 (or on --port only), runs its start-up\n"
            "sequence and prints the port and the writer's version report.",
            "COM1～COM31（--port を指定したときはそのポートだけ）でカードライターを探し、\n"
            "起動手順を実行して、ポートとライターのバージョン情報を表示します。"},
    Wording{kAboutPorts, {},
            "One line for each port that maps to a device: the port, the device and its state:\n"
            "writer with its version report, or why not, in the words connect and batch use:\n"
            "no permission (join the group ...), in use by another program, no such port,\n"
            "not a serial device, nothing answered.",
            "デバイスにつながる各ポートについて 1 行ずつ、ポート、デバイス、状態を表示します。\n"
            "状態は、ライターならそのバージョン情報、そうでなければ connect や batch と同じ\n"
            "言葉でその理由です：権限がありません（グループ … に参加してください）、\n"
            "他のプログラムが使用中です、そのポートはありません、シリアルデバイスではありません、\n"
            "応答がありません。"},
    Wording{kAboutImage, {},
            "Composes exactly the card write puts on a card with the same options and prints\n"
            "it. Card kinds: content card; initialisation card (--init, or --service-cid N,\n"
            "which is then its customer ID); read card (--read-mark, customer ID from\n"
            "--service-cid); UID setting card (--uid-card N). A content card carries the\n"
            "writer's customer ID: give it with --cid.",
            "同じオプションで write がカードに書くものとまったく同じカードを作成して表示します。\n"
            "カードの種類：内容カード、初期化カード（--init、または --service-cid N。N が\n"
            "そのカスタマーID になります）、読み取りカード（--read-mark。カスタマーID は\n"
            "--service-cid）、UID 設定カード（--uid-card N）。内容カードにはライターの\n"
            "カスタマーID が入ります：--cid で指定してください。"},
    Wording{kAboutDecode, {},
            "Reads a card image (the 256 bytes, or 512 hexadecimal digits) from FILE or from\n"
            "standard input (-) and prints what it means: the kind, customer ID, URL, popup,\n"
            "mail, keyword blanks, each setting with its item text, and the check byte.\n"
            "json: the 256 bytes as 512 hexadecimal digits (\"image\") and the decoded fields\n"
            "(\"decoded\").",
            "カードイメージ（256 バイト、または 16 進数 512 桁）を FILE か標準入力（-）から\n"
            "読み、その内容を表示します：種類、カスタマーID、URL、ポップアップ、メール、\n"
            "キーワードの空き、各設定とその項目、チェックバイト。\n"
            "json：256 バイトを 16 進数 512 桁で（\"image\"）、読み解いた項目（\"decoded\"）。"},
    Wording{kAboutUid, {}, "Detects the card on the writer and prints its IDm (16 hexadecimal digits).",
            "ライター上のカードを検出し、その IDm（16 進数 16 桁）を表示します。"},
    Wording{kAboutWrite, {},
            "Writes a card: the one image shows for the same options, or with --image exactly\n"
            "the 256 bytes of FILE. The content is checked before the writer is looked for.",
            "カードを書き込みます：同じオプションで image が表示するカード、または --image で\n"
            "FILE の 256 バイトそのままです。内容はライターを探す前に確認します。"},
    Wording{kAboutClear, {}, "Writes 64 zero blocks to the card on the writer. It erases the card: --yes is needed.",
            "ライター上のカードにゼロのブロックを 64 個書き込みます。カードを消去するので\n"
            "--yes が必要です。"},
    Wording{kAboutDump, {},
            "Reads the card's 64 blocks and prints them. json: the IDm, the 256 bytes as 512\n"
            "hexadecimal digits (\"image\") and the decoded fields (\"decoded\").",
            "カードの 64 ブロックを読み取って表示します。json：IDm、256 バイトを 16 進数\n"
            "512 桁で（\"image\"）、読み解いた項目（\"decoded\"）。"},
    Wording{kAboutBatch, {},
            "Writes the content to every new card put on the writer(s), reads each card back\n"
            "and prints one line per card. The content is checked, and its questions\n"
            "answered, before any writer is touched. A card written and read back ok is\n"
            "never written again; a card that failed is written again once it has been\n"
            "taken off and put on again. A writer that is lost, or does not answer at the\n"
            "start, is looked for on its port every second. Ctrl-C once: every writer\n"
            "finishes its card, then the run ends; twice: each stops at the next block.\n"
            "A record that cannot be written to stdout or --log ends the run the same way\n"
            "and is given on stderr. Exit status: 0 all ok, 1 a card failed or a writer\n"
            "was not back at the end, 3 no writer at all, 5 only verify failures, 6 a\n"
            "record not written, 130 interrupted.\n"
            "With --rows FILE each card takes the next row of a CSV file whose header names\n"
            "content options without -- (url, popup, mail, ..., uid-card) and may have an\n"
            "id column; a non-empty cell overrides the option given here. A row has a cell\n"
            "for every column; a quoted cell may hold commas, doubled quotes and, in the id\n"
            "column only, line ends. Every row is checked first, and every bad row named;\n"
            "a row is done once its card is written and read back ok, and --resume LOG\n"
            "skips the rows an earlier run's log records as done. A row is known by its\n"
            "id (ids must differ), else by its cells: rows added to the list or moved are\n"
            "found, and a row whose cells changed after its card was written is named and\n"
            "written again only with --rewrite-changed. Rows of only commas are skipped.\n"
            "Runs that name one journal as --log and --resume share the list: each row\n"
            "is written once, under a lock on the journal.",
            "ライターに置かれた新しいカードすべてに内容を書き込み、1 枚ずつ読み返して、\n"
            "カード 1 枚ごとに 1 行表示します。内容の確認と質問への回答は、ライターに触れる\n"
            "前に済ませます。書き込んで読み返しが OK だったカードには二度と書き込みません。\n"
            "失敗したカードは、一度取り外して置き直すと書き込み直します。見失ったライターや、\n"
            "開始時に応答しないライターは、そのポートで毎秒探します。Ctrl-C を 1 回：\n"
            "各ライターが書き込み中のカードを終えてから実行を終えます。2 回：各ライターが\n"
            "次のブロックで止まります。記録を標準出力や --log に書けないときも同じように実行を終え、その\n"
            "記録を標準エラーに出します。終了ステータス：0 すべて OK、1 失敗したカードがあるか\n"
            "終了時にライターが戻っていない、3 ライターがまったくない、5 読み返し不一致だけ、\n"
            "6 書けなかった記録がある、130 中断。\n"
            "--rows FILE を指定すると、各カードは CSV ファイルの次の行をとります。見出しには\n"
            "内容のオプションの名前を -- なしで書き（url、popup、mail、…、uid-card）、\n"
            "id の列を置くこともできます。空でないセルは、ここで指定したオプションより優先します。\n"
            "行には列ごとにセルが要ります。引用符で囲んだセルにはコンマ、二重にした引用符、\n"
            "そして id の列に限り改行を入れられます。はじめにすべての行を確認し、誤りのある\n"
            "行をすべて示します。カードに書き込んで読み返しが OK になった行は済みとなり、\n"
            "--resume LOG は以前の実行のログが済みと記録した行を飛ばします。行は id で（id は\n"
            "すべて違うこと）、id がなければセルで見分けます：リストに加えた行や移した行も\n"
            "見つけ、カードに書いた後でセルが変わった行は示して、--rewrite-changed のときだけ\n"
            "書き込み直します。コンマだけの行は飛ばします。\n"
            "同じジャーナルを --log と --resume に指定した実行どうしはリストを分け合います：\n"
            "ジャーナルのロックのもとで、各行を一度だけ書き込みます。"},
    Wording{kAboutHistory, {},
            "Reads the journals batch --log writes and prints one line per card, oldest first:\n"
            "when it was started, the writer, the IDm, the row and its id, and the result. A\n"
            "card started and left without a result (the run was killed) is in doubt: it may\n"
            "hold part of its row. --format json prints one object per line.",
            "batch --log が書くジャーナルを読み、カード 1 枚ごとに 1 行、古い順に表示します：\n"
            "開始した時刻、ライター、IDm、行とその id、結果。開始したまま結果のないカード\n"
            "（実行が強制終了された）は doubt（不明）です：行の一部だけを持っているかもしれ\n"
            "ません。--format json は 1 行に 1 オブジェクトを表示します。"},
    Wording{kAboutVerify, {},
            "Reads the card on the writer and compares it with the card the content options\n"
            "compose: prints the IDm and ok, or the first differing block (exit status 5).",
            "ライター上のカードを読み取り、内容のオプションで作成するカードと比較します：\n"
            "IDm と ok、または最初に違うブロック（終了ステータス 5）を表示します。"},
    Wording{kOptionUrl, {}, "the URL, up to 184 bytes with the popup (keywords above)",
            "URL。ポップアップと合わせて 184 バイトまで（キーワードは上記）"},
    Wording{kOptionPopup, {}, "the popup text, up to 40 bytes", "ポップアップの文字。40 バイトまで"},
    Wording{kOptionTo, {}, "mail To address (with --mail)", "メールの To アドレス（--mail と共に）"},
    Wording{kOptionCc, {}, "mail cc address (with --mail)", "メールの cc アドレス（--mail と共に）"},
    Wording{kOptionTitle, {}, "mail title (with --mail; keywords above)",
            "メールのタイトル（--mail と共に。キーワードは上記）"},
    Wording{kOptionBody, {}, "mail body (with --mail; keywords above)", "メールの本文（--mail と共に。キーワードは上記）"},
    Wording{kOptionList, {"label", "last", "items", "default"}, "{label}: 0-{last} = {items} (default {default})",
            "{label}：0～{last} = {items}（既定 {default}）"},
    Wording{kOptionMail, {}, "add a mail (needs --to)", "メールを付けます（--to が必要）"},
    Wording{kOptionInit, {}, "make an initialisation card", "初期化カードを作成します"},
    Wording{kOptionServiceCid, {}, "make an initialisation card for CID 0-FFFF",
            "カスタマーID 0～FFFF の初期化カードを作成します"},
    Wording{kOptionReadMark, {}, "make a read card (customer ID: --service-cid, or 0)",
            "読み取りカードを作成します（カスタマーID：--service-cid、なければ 0）"},
    Wording{kOptionUidCard, {}, "make a UID setting card with this start UID, 0-FFFF",
            "この開始 UID（0～FFFF）の UID 設定カードを作成します"},
    Wording{kOptionCid, {}, "the customer ID to compose with, 0-FFFF (default 0000)",
            "作成に使うカスタマーID、0～FFFF（既定 0000）"},
    Wording{kOptionYes, {}, "answer OK to every question", "すべての質問に OK と答えます"},
    Wording{kOptionNo, {}, "answer Cancel to every question", "すべての質問にキャンセルと答えます"},
    Wording{kOptionFormat, {}, "text or json (one object per line)", "text か json（json は 1 行に 1 オブジェクト）"},
    Wording{kOptionCardFormat, {"formats"}, "{formats} (raw: the 256 bytes; json: one object per line)",
            "{formats}（raw：256 バイトのまま、json：1 行 1 オブジェクト）"},
    Wording{kOptionOut, {}, "write to FILE (raw unless --format says otherwise)",
            "FILE に書き出します（--format の指定がなければ raw）"},
    Wording{kOptionImage, {}, "write exactly the 256 bytes of FILE", "FILE の 256 バイトをそのまま書き込みます"},
    Wording{kOptionPort, {}, "use this port only, no scan (COM1-COM31)",
            "このポートだけを使い、ほかは探しません（COM1～COM31）"},
    Wording{kOptionTrace, {}, "show every frame on stderr", "すべてのフレームを標準エラーに表示します"},
    Wording{kOptionFast, {}, "a reply ends with its frame and 5 ms, not 200 ms of silence",
            "応答の終わりを 200 ms の無通信でなく、フレームと 5 ms で判断します"},
    Wording{kOptionForce, {}, "write an image that is damaged or of no kind this tool writes",
            "壊れたイメージや、このツールが書かない種類のイメージも書き込みます"},
    Wording{kOptionVerify, {}, "read the card back; status 5 when a block differs",
            "カードを読み返します。違うブロックがあればステータス 5"},
    Wording{kOptionCount, {}, "stop after N cards (default: until interrupted)", "N 枚で止めます（既定：中断するまで）"},
    Wording{kOptionPorts, {}, "these writers (default: the first writer found)",
            "これらのライターを使います（既定：最初に見つかったライター）"},
    Wording{kOptionAll, {}, "every port where a writer answers", "ライターが応答するすべてのポートを使います"},
    Wording{kOptionNoVerify, {}, "do not read the cards back", "カードを読み返しません"},
    Wording{kOptionJson, {}, "JSON Lines: time, port, idm, result, block, resends, seconds",
            "JSON Lines で表示します：time、port、idm、result、block、resends、seconds"},
    Wording{kOptionLog, {}, "append JSON Lines to FILE, flushed after every card",
            "FILE に JSON Lines を追記し、カードごとにフラッシュします"},
    Wording{kOptionRows, {}, "a CSV file with a row per card (columns: content options)",
            "カード 1 枚に 1 行の CSV ファイル（列：内容のオプション）"},
    Wording{kOptionEncoding, {}, "the list's encoding, utf-8 or cp932 (default: as its bytes say)",
            "リストのエンコーディング、utf-8 か cp932（既定：バイトから判断）"},
    Wording{kOptionRewriteChanged, {}, "write again the rows whose cells changed after their card was written",
            "カードに書いた後でセルが変わった行を書き込み直します"},
    Wording{kOptionResume, {}, "skip the rows an earlier run's --log records as ok",
            "以前の実行の --log が OK と記録した行を飛ばします"},
    Wording{kOptionIdm, {}, "the card with this IDm (16 hexadecimal digits)", "この IDm のカード（16 進数 16 桁）"},
    Wording{kOptionId, {}, "the cards of the rows with this id", "この id の行のカード"},
    Wording{kOptionRow, {}, "the cards of the row on this line of its list", "リストのこの行番号の行のカード"},
    Wording{kOptionResult, {}, "ok, failed, or doubt (started, no result)",
            "ok、failed、doubt（開始したが結果なし）のいずれか"},
    Wording{kOptionSince, {},
            "the cards started on or after DATE: 2026-12-07, 2026-12-07T09:30 or 2026-12-07T09:30:00+09:00 (local time "
            "without an offset)",
            "DATE 以降に開始したカード：2026-12-07、2026-12-07T09:30、2026-12-07T09:30:00+09:00 など（オフセット"
            "がなければ現地時刻）"},
    Wording{kOptionWait, {}, "wait for the writer and the card (up to SECONDS; then status 4)",
            "ライターとカードを待ちます（最大 SECONDS 秒。過ぎればステータス 4）"},
    Wording{kListMore, {"list", "next"}, "{list}, {next}", "{list}、{next}"},
    Wording{kOneOf, {"list", "last"}, "{list} or {last}", "{list}、{last}"},
    Wording{kRangeOneOf, {"choices"}, " ({choices})", "（{choices} のいずれか）"},
    Wording{kRangeListPosition, {"last"}, " (a list position 0-{last})", "（0～{last} の番号）"},
    Wording{kRangeCustomerId, {}, " (0-FFFF, hexadecimal)", "（16 進数で 0～FFFF）"},
    Wording{kRangePort, {}, " (COM1-COM31)", "（COM1～COM31）"},
    Wording{kRangePortsOnce, {}, " (COM1-COM31, each once)", "（COM1～COM31、それぞれ一度だけ）"},
    Wording{kRangeCount, {}, " (1-2147483647)", "（1～2147483647）"},
    Wording{kRangeIdm, {}, " (16 hexadecimal digits)", "（16 進数 16 桁）"},
    Wording{kRangeLineNumber, {}, " (a line number, 1-2147483647)", "（行番号、1～2147483647）"},
    Wording{kRangeDate, {},
            " (no such date or time: YYYY-MM-DD, or YYYY-MM-DDTHH:MM[:SS] with Z, +HH:MM or local time)",
            "（そのような日付・時刻はありません：YYYY-MM-DD、または YYYY-MM-DDTHH:MM[:SS] に Z か +HH:MM を付けて。"
            "付けなければ現地時刻）"},
    Wording{kRangeSeconds, {}, " (0-86400 seconds)", "（0～86400 秒）"},
    Wording{kLinePortsNotAPort, {"port"}, "--ports: not a port COM1-COM31: {port}",
            "--ports：COM1～COM31 のポートではありません：{port}"},
    Wording{kLinePortTwice, {"port"}, "--ports: {port} twice", "--ports：{port} が二度指定されています"},
    Wording{kLinePortsNeedList, {}, "--ports needs one list of ports", "--ports にはポートのリストを一つ指定してください"},
    Wording{kLineLogNeedsFile, {}, "--log needs one file name", "--log にはファイル名を一つ指定してください"},
    Wording{kLineUnknownOption, {"option"}, "unknown option: {option}", "{option} というオプションはありません"},
    Wording{kLineOneListOnly, {"argument"}, "one list only: {argument}", "リストは一つだけ指定してください：{argument}"},
};

// Code points a terminal shows two columns wide: the East Asian wide and
// full-width ranges this tool's words use.
bool IsWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
         (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7A3) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6);
}

}  // namespace

std::span<const Wording> HelpCatalog() { return kHelpWordings; }

std::size_t DisplayWidth(std::string_view utf8) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    char32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) {
      c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    width += IsWide(c) ? 2 : 1;
    i += length;
  }
  return width;
}

}  // namespace morvik
