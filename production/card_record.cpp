#include "production/card_record.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "production/record_json.h"
#include "production/record_time.h"

namespace morvik {
namespace {

using Json = JsonObject;

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", seconds);
  return text;
}

Saying ResultSaying(const CardRecord& r) {
  const std::string block = std::to_string(r.block);
  switch (r.result) {
    case CardResult::kOk: return {r.verified ? Said::kResultOk : Said::kResultOkNotReadBack};
    case CardResult::kWriteFailed: return {Said::kResultWriteFailed, {block}};
    case CardResult::kVerifyFailed: return {Said::kResultVerifyFailed, {block}};
    case CardResult::kRemoved: return {Said::kResultRemoved};
    case CardResult::kInterrupted: return {Said::kResultInterrupted, {block}};
    case CardResult::kWriterLost: return {Said::kResultWriterLost, {block}};
  }
  return {Said::kResultOk};
}

const char* ResultKey(CardResult result) {
  switch (result) {
    case CardResult::kOk: return "ok";
    case CardResult::kWriteFailed: return "write-failed";
    case CardResult::kVerifyFailed: return "verify-failed";
    case CardResult::kRemoved: return "removed";
    case CardResult::kInterrupted: return "interrupted";
    case CardResult::kWriterLost: return "writer-lost";
  }
  return "";
}

Json Head(const char* kind, const CardRecord& r) {
  return Json{{"record", kind}, {"time", r.time}, {"port", r.port}, {"idm", r.idm}};
}

void AddRow(Json& json, const CardRecord& r) {
  if (r.row == 0) return;
  json["row"] = r.row;
  if (!r.id.empty()) json["id"] = r.id;
  json["file"] = r.file;
  if (!r.list.empty()) json["list"] = r.list;
  if (!r.cells.empty()) json["cells"] = r.cells;
  if (r.occurrence != 0) json["occurrence"] = r.occurrence;
}

// The run that wrote the record; a started record names its computer and process too.
void AddRun(Json& json, const CardRecord& r, bool started) {
  if (r.run.empty()) return;
  json["run"] = r.run;
  if (!started) return;
  json["host"] = r.host;
  json["pid"] = r.pid;
}

// A control character of the id as the JSON escape would write it.
std::string Escaped(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      shown += c;
      continue;
    }
    const std::string json = JsonLine(Json(std::string(1, c)));
    shown += json.substr(1, json.size() - 2);
  }
  return shown;
}

}  // namespace

Saying RowSaying(std::size_t row, const std::string& id) {
  if (id.empty()) return {Said::kRowRef, {std::to_string(row)}};
  return {Said::kRowRefId, {std::to_string(row), id}};
}

std::string RecordHead(const CardRecord& r, Language language) {
  const std::string row = r.row == 0 ? "" : " " + Say(RowSaying(r.row, Escaped(r.id)), language);
  return LocalTimeText(r.time) + " " + r.port + " " + r.idm + row;
}

std::string RecordText(const CardRecord& r, Language language) {
  std::string text =
      Say({Said::kRecordLine, {RecordHead(r, language), Say(ResultSaying(r), language), Seconds(r.seconds)}}, language);
  if (r.resends > 0) text += Say({Said::kInParens, {Say(ResendsSaying(r.resends), language)}}, language);
  if (r.foundInDoubt) text += Say({Said::kInParens, {Say({Said::kFoundInDoubt}, language)}}, language);
  return text;
}

Saying ResendsSaying(int count) {
  if (count == 1) return {Said::kOneResend};
  return {Said::kResends, {std::to_string(count)}};
}

std::string JsonLine(const JsonObject& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

JsonObject CardObject(const CardRecord& r) {
  Json json = Head("card", r);
  json["result"] = ResultKey(r.result);
  if (r.result != CardResult::kOk) json["block"] = r.block;
  json["resends"] = r.resends;
  json["seconds"] = std::round(r.seconds * 10) / 10;
  AddRow(json, r);
  AddRun(json, r, false);
  if (!r.image.empty()) json["image_hash"] = r.image;
  if (!r.verified) json["verified"] = false;
  if (r.foundInDoubt) json["found_in_doubt"] = true;
  return json;
}

std::string RecordJson(const CardRecord& r) { return JsonLine(CardObject(r)); }

std::string StartedJson(const CardRecord& r) {
  Json json = Head("started", r);
  AddRow(json, r);
  AddRun(json, r, true);
  json["image_hash"] = r.image;
  return JsonLine(json);
}

JsonObject TallyObject(const WriterTally& t) {
  Json json{{"port", t.port},          {"cards", t.cards()},          {"ok", t.ok},
            {"write_failed", t.writeFailed}, {"verify_failed", t.verifyFailed}, {"removed", t.removed},
            {"interrupted", t.interrupted},  {"writer_lost", t.writerLost},     {"resends", t.resends}};
  if (!t.recovered.empty()) json["recovered"] = t.recovered;
  if (!t.problem.empty()) json["problem"] = t.problem;
  return json;
}

std::uint64_t ContentDigest(std::string_view bytes) {
  std::uint64_t hash = 0xCBF29CE484222325ULL;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001B3ULL;
  }
  return hash;
}

std::string ContentHash(std::string_view bytes) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(ContentDigest(bytes)));
  return text;
}

void WriterTally::Count(CardResult result) {
  switch (result) {
    case CardResult::kOk: ++ok; break;
    case CardResult::kWriteFailed: ++writeFailed; break;
    case CardResult::kVerifyFailed: ++verifyFailed; break;
    case CardResult::kRemoved: ++removed; break;
    case CardResult::kInterrupted: ++interrupted; break;
    case CardResult::kWriterLost: ++writerLost; break;
  }
}

void WriterTally::SetProblem(Saying said) {
  problem = Say(said, Language::kEnglish);
  problemSaid = std::move(said);
}

void WriterTally::AddRecovered(Saying said) {
  recovered += (recovered.empty() ? "" : ", ") + Say(said, Language::kEnglish);
  recoveredSaid.push_back(std::move(said));
}

WriterTally TotalOf(std::span<const WriterTally> tallies) {
  WriterTally total;
  total.port = "all";
  for (const WriterTally& t : tallies) {
    total.ok += t.ok;
    total.writeFailed += t.writeFailed;
    total.verifyFailed += t.verifyFailed;
    total.removed += t.removed;
    total.interrupted += t.interrupted;
    total.writerLost += t.writerLost;
    total.resends += t.resends;
  }
  return total;
}

}  // namespace morvik
