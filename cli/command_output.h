// What the card commands print on standard output, as text for a person and
// as JSON for a script (--format json): one object per line, ASCII
// snake_case keys, written by the one JSON library the tool uses.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/writer_link.h"
#include "words/language.h"

namespace morvik {

// How the card a command wrote or read back ended.
enum class CardEnd { kOk, kWriteFailed, kVerifyFailed, kUnreadable, kInterrupted, kRemoved };

struct CardOutcome {
  std::string idm;
  CardEnd end = CardEnd::kOk;
  int block = 0;                  // where it failed or stopped; not said for ok
  std::optional<bool> readBack;   // write: whether the card was read back
};

// "verify failed at block 5", "unreadable at block 8", "ok".
std::string CardEndText(const CardOutcome& outcome, Language language);
// {"idm":"...","result":"verify-failed","block":5}, "read_back" when known.
std::string CardOutcomeJson(const CardOutcome& outcome);
// {"port":"COM3","version":"0211","date":"261206","customer_id":"1234"}
std::string WriterJson(std::string_view port, const WriterIdentity& identity);
// {"idm":"0123456789ABCDEF"}
std::string IdmJson(std::string_view idm);
// {"port":"COM4","device":"/dev/ttyUSB3","state":"no-permission","reason":"..."},
// with "version", "date" and "customer_id" for a writer.
std::string PortJson(std::string_view port, std::string_view device, std::string_view state,
                     std::string_view reason, const WriterIdentity* writer);

}  // namespace morvik
