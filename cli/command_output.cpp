#include "cli/command_output.h"

#include <cstdio>

#include "production/record_json.h"
#include "words/catalog.h"

namespace morvik {
namespace {

struct CardEndWords {
  CardEnd end;
  std::string_view key;  // JSON's "result"
  Said said;             // with the block it stopped at, unless ok
};

constexpr CardEndWords kCardEnds[] = {
    {CardEnd::kOk, "ok", Said::kResultOk},
    {CardEnd::kWriteFailed, "write-failed", Said::kResultWriteFailed},
    {CardEnd::kVerifyFailed, "verify-failed", Said::kResultVerifyFailed},
    {CardEnd::kUnreadable, "unreadable", Said::kResultUnreadable},
    {CardEnd::kInterrupted, "interrupted", Said::kResultInterrupted},
    {CardEnd::kRemoved, "removed", Said::kResultRemovedAtBlock},  // taken off the writer mid-write
};

const CardEndWords& WordsOf(CardEnd end) {
  for (const CardEndWords& words : kCardEnds) {
    if (words.end == end) return words;
  }
  return kCardEnds[0];
}

std::string Hex(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", byte);
    text += digits;
  }
  return text;
}

void AddWriter(JsonObject& json, const WriterIdentity& identity) {
  json["version"] = Hex(identity.Ver);
  json["date"] = Hex(identity.Date);
  json["customer_id"] = Hex(identity.CID);
}

}  // namespace

std::string CardEndText(const CardOutcome& outcome, Language language) {
  const Said said = WordsOf(outcome.end).said;
  return outcome.end == CardEnd::kOk ? Say({said}, language) : Say({said, {std::to_string(outcome.block)}}, language);
}

std::string CardOutcomeJson(const CardOutcome& outcome) {
  JsonObject json{{"idm", outcome.idm}, {"result", WordsOf(outcome.end).key}};
  if (outcome.end != CardEnd::kOk) json["block"] = outcome.block;
  if (outcome.readBack) json["read_back"] = *outcome.readBack;
  return JsonLine(json);
}

std::string WriterJson(std::string_view port, const WriterIdentity& identity) {
  JsonObject json{{"port", port}};
  AddWriter(json, identity);
  return JsonLine(json);
}

std::string IdmJson(std::string_view idm) { return JsonLine(JsonObject{{"idm", idm}}); }

std::string PortJson(std::string_view port, std::string_view device, std::string_view state,
                     std::string_view reason, const WriterIdentity* writer) {
  JsonObject json{{"port", port}, {"device", device}, {"state", state}};
  if (!reason.empty()) json["reason"] = reason;
  if (writer != nullptr) AddWriter(json, *writer);
  return JsonLine(json);
}

}  // namespace morvik
