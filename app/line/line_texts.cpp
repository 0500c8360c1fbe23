#include "app/line/line_texts.h"

#include <cmath>
#include <cstdio>

#include "card/block_commands.h"

namespace morvik::line_texts {
namespace {

std::string Number(std::size_t value) { return std::to_string(value); }

std::string EncodingName(CsvEncoding encoding) {
  switch (encoding) {
    case CsvEncoding::kUtf8WithBom: return "UTF-8、BOM 付き";
    case CsvEncoding::kUtf8: return "UTF-8";
    case CsvEncoding::kCp932: return "シフトJIS";
  }
  return "";
}

std::string AtBlock(const CardRecord& record) { return "（ブロック " + std::to_string(record.block) + "）"; }

}  // namespace

std::string ListInfo(std::size_t rows, CsvEncoding encoding, std::size_t doneBefore, std::size_t inDoubt) {
  std::string text = Number(rows) + " 行（" + EncodingName(encoding) + "）";
  if (doneBefore >= rows) {
    text += "、前回までにすべて済み";
  } else if (doneBefore > 0) {
    text += "、前回までに " + Number(doneBefore) + " 行済み：続きから書きます";
  }
  if (inDoubt > 0) text += "、途中のカード " + Number(inDoubt) + " 枚";
  return text;
}

std::string WriterState(const WriterProgress& progress) {
  switch (progress.step) {
    case WriterProgress::Step::kWaitingForCard: return "カードを置いてください";
    case WriterProgress::Step::kStarting:
    case WriterProgress::Step::kWriting:
      return "書き込み中 ブロック " + std::to_string(progress.block) + "/" + std::to_string(kCardBlocks);
    case WriterProgress::Step::kReadingBack: return "読み返し中";
    case WriterProgress::Step::kFinished: return "";
  }
  return "";
}

std::string WaitingAfter(CardResult last) {
  return (last == CardResult::kOk ? "OK" : "失敗") + std::string("（次のカードを置いてください）");
}

std::string LookingForWriter() { return "ライターを探しています"; }

std::string Ended() { return "終了"; }

std::string StateAfter(const WriterEvent& event) {
  switch (event.kind) {
    case WriterEvent::Kind::kFound:
    case WriterEvent::Kind::kBack: return "カードを置いてください";
    case WriterEvent::Kind::kNotAnswering:
    case WriterEvent::Kind::kLost: return LookingForWriter();
    case WriterEvent::Kind::kSetAside: return "休止（3 枚続けて失敗）";
    case WriterEvent::Kind::kContentRefused: return "このライターでは書けません";
    case WriterEvent::Kind::kDoneBefore: return "";
  }
  return "";
}

std::string EventMessage(const WriterEvent& event) {
  const std::string port = event.port + "：";
  switch (event.kind) {
    case WriterEvent::Kind::kFound: return port + "ライターが見つかりました（CID " + event.cid + "）";
    case WriterEvent::Kind::kNotAnswering: return port + "ライターが応答しません。探し続けます";
    case WriterEvent::Kind::kLost: return port + "ライターの応答がなくなりました。探し続けます";
    case WriterEvent::Kind::kBack: return port + "ライターが戻りました（CID " + event.cid + "）";
    case WriterEvent::Kind::kSetAside:
      return port + "3 枚続けて失敗したため休止します。ライターとカードを確かめてください";
    case WriterEvent::Kind::kContentRefused:
      return port + "CID " + event.cid + " のライターではこのリストを書けません";
    case WriterEvent::Kind::kDoneBefore:
      return port + "カード " + event.idm + " は書き込み済みです" +
             (event.row > 0 ? "（行 " + RowOf(event.row, event.id) + "）" : "") + "。もう一度は書きません";
  }
  return "";
}

std::string RowOf(std::size_t line, const std::string& id) {
  if (line == 0) return "";
  return Number(line) + (id.empty() ? "" : "（" + id + "）");
}

std::string WhichEncoding(const CsvAmbiguity& ambiguity) {
  return "行 " + Number(ambiguity.line) + " はシフトJIS としても UTF-8 としても読めます。\n\nシフトJIS：" +
         ambiguity.asCp932 + "\nUTF-8：" + ambiguity.asUtf8 + "\n\nどちらとして読みますか？";
}

std::vector<std::string> EncodingChoices() { return {"シフトJIS", "UTF-8", "開かない"}; }

std::string RowsAsked(const std::vector<std::size_t>& lines, const std::string& question) {
  std::string rows;
  for (const std::size_t line : lines) rows += (rows.empty() ? "" : ", ") + Number(line);
  return "行 " + rows + "：" + question;
}

std::string Result(CardResult result) {
  switch (result) {
    case CardResult::kOk: return "OK";
    case CardResult::kWriteFailed: return "書き込み失敗";
    case CardResult::kVerifyFailed: return "読み返し不一致";
    case CardResult::kRemoved: return "取り外し";
    case CardResult::kInterrupted: return "中断";
    case CardResult::kWriterLost: return "ライター応答なし";
  }
  return "";
}

std::string Reason(const CardRecord& record, bool readingBack) {
  if (record.result == CardResult::kWriterLost && readingBack) {
    return "読み返し中にライターの応答がなくなりました（" + std::to_string(kCardBlocks) + " ブロック書き込み済み）";
  }
  switch (record.result) {
    case CardResult::kOk: return record.foundInDoubt ? "前回途中のカードを書き上げました" : "";
    case CardResult::kWriteFailed: return "カードが受け付けません" + AtBlock(record);
    case CardResult::kVerifyFailed: return "読み返すと内容が違います" + AtBlock(record);
    case CardResult::kRemoved: return "書き込み中に外されました" + AtBlock(record);
    case CardResult::kInterrupted: return "停止で中断しました" + AtBlock(record);
    case CardResult::kWriterLost: return "ライターが応答しません" + AtBlock(record);
  }
  return "";
}

std::string FailureMessage(const CardRecord& record, bool readingBack) {
  const std::string head = record.port + "：カード " + record.idm + " は";
  if (record.result == CardResult::kWriterLost && readingBack) {
    return head + "書き込み済みですが、読み返し中にライターの応答がなくなりました。つなぎを確かめてください";
  }
  switch (record.result) {
    case CardResult::kOk: return "";
    case CardResult::kWriteFailed: return head + "書き込みを受け付けませんでした。置き直してください";
    case CardResult::kVerifyFailed: return head + "読み返すと内容が違いました。別のカードを使ってください";
    case CardResult::kRemoved: return head + "書き込み中に外されました。置き直してください";
    case CardResult::kInterrupted: return head + "停止したため途中でやめました。次の開始で置き直してください";
    case CardResult::kWriterLost: return head + "書き込めませんでした：ライターが応答しません。つなぎを確かめてください";
  }
  return "";
}

std::string WrittenMessage(const CardRecord& record) {
  const std::string row = record.row > 0 ? "行 " + RowOf(record.row, record.id) + (record.id.empty() ? " を" : "を") : "";
  return record.port + "：" + row + "カード " + record.idm + " に書き込みました";
}

std::string RecordLine(const CardRecord& record, bool readingBack) {
  const std::string row = record.row > 0 ? "行 " + RowOf(record.row, record.id) + " " : "";
  const std::string reason = Reason(record, readingBack);
  return row + "カード " + record.idm + "：" + Result(record.result) + (reason.empty() ? "" : "：" + reason);
}

std::string Rate(std::optional<double> cardsPerMinute) {
  if (!cardsPerMinute) return "－";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", *cardsPerMinute);
  return text;
}

std::string TimeLeft(std::optional<double> minutes) {
  if (!minutes) return "－";
  if (*minutes < 1) return "1 分未満";
  const auto whole = static_cast<long>(std::lround(*minutes));
  if (whole < 60) return "約 " + std::to_string(whole) + " 分";
  return "約 " + std::to_string(whole / 60) + " 時間 " + std::to_string(whole % 60) + " 分";
}

std::string CardsInDoubt(const std::vector<CardRecord>& started) {
  std::string text = "途中のカード " + Number(started.size()) + " 枚（ライターに置くと仕上げます）";
  const char* separator = "：";
  for (const CardRecord& card : started) {
    text += separator + ("カード " + card.idm + " 行 " + RowOf(card.row, card.id) + " " + card.port + " " + card.time);
    separator = "、";
  }
  return text;
}

}  // namespace morvik::line_texts
