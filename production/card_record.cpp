#include "production/card_record.h"

#include <cstdio>

namespace morvik {
namespace {

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", seconds);
  return text;
}

std::string ResultText(const CardRecord& r) {
  const std::string at = " at block " + std::to_string(r.block);
  switch (r.result) {
    case CardResult::kOk: return "ok";
    case CardResult::kWriteFailed: return "write failed" + at;
    case CardResult::kVerifyFailed: return "verify failed" + at;
    case CardResult::kRemoved: return "card removed";
    case CardResult::kInterrupted: return "interrupted" + at;
  }
  return {};
}

const char* ResultKey(CardResult result) {
  switch (result) {
    case CardResult::kOk: return "ok";
    case CardResult::kWriteFailed: return "write-failed";
    case CardResult::kVerifyFailed: return "verify-failed";
    case CardResult::kRemoved: return "removed";
    case CardResult::kInterrupted: return "interrupted";
  }
  return "";
}

// Port names and IDms are plain ASCII; quotes and backslashes are escaped anyway.
std::string JsonString(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    if (static_cast<unsigned char>(c) >= 0x20) quoted += c;
  }
  return quoted + "\"";
}

void AddCount(std::string& text, int count, const char* what) {
  if (count > 0) text += ", " + std::to_string(count) + " " + what;
}

std::string Resends(int count) { return std::to_string(count) + (count == 1 ? " resend" : " resends"); }

}  // namespace

std::string RecordText(const CardRecord& r) {
  const std::string row =
      r.row == 0 ? "" : " row " + std::to_string(r.row) + (r.id.empty() ? "" : " (" + r.id + ")");
  const std::string text = r.time + " " + r.port + " " + r.idm + row + " " + ResultText(r) + " " +
                           Seconds(r.seconds) + "s";
  return r.resends > 0 ? text + " (" + Resends(r.resends) + ")" : text;
}

std::string RecordJson(const CardRecord& r) {
  std::string json = "{\"time\":" + JsonString(r.time) + ",\"port\":" + JsonString(r.port) +
                     ",\"idm\":" + JsonString(r.idm) + ",\"result\":\"" + ResultKey(r.result) + "\"";
  if (r.result != CardResult::kOk) json += ",\"block\":" + std::to_string(r.block);
  json += ",\"resends\":" + std::to_string(r.resends) + ",\"seconds\":" + Seconds(r.seconds);
  if (r.row != 0) {
    json += ",\"row\":" + std::to_string(r.row) + (r.id.empty() ? "" : ",\"id\":" + JsonString(r.id)) +
            ",\"file\":" + JsonString(r.file);
  }
  return json + "}";
}

void WriterTally::Count(CardResult result) {
  switch (result) {
    case CardResult::kOk: ++ok; break;
    case CardResult::kWriteFailed: ++writeFailed; break;
    case CardResult::kVerifyFailed: ++verifyFailed; break;
    case CardResult::kRemoved: ++removed; break;
    case CardResult::kInterrupted: ++interrupted; break;
  }
}

std::string TallyText(const WriterTally& t) {
  std::string text = t.port + ": " + std::to_string(t.cards()) + (t.cards() == 1 ? " card, " : " cards, ") +
                     std::to_string(t.ok) + " ok";
  AddCount(text, t.writeFailed, "write failed");
  AddCount(text, t.verifyFailed, "verify failed");
  AddCount(text, t.removed, "removed");
  AddCount(text, t.interrupted, "interrupted");
  if (t.resends > 0) text += ", " + Resends(t.resends);
  if (!t.recovered.empty()) text += "; " + t.recovered;
  if (!t.problem.empty()) text += "; " + t.problem;
  return text;
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
    total.resends += t.resends;
  }
  return total;
}

}  // namespace morvik
