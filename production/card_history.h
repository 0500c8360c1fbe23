// Which row is on which card, when and on which writer: the journal's records
// of each card, started and result joined, for service staff.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "production/journal.h"
#include "production/record_time.h"

namespace morvik {

struct CardHistoryEntry {
  std::string started;  // when the card was started; its result's time for a record without one
  CardRecord record;    // the result, or the started record of a card in doubt
  bool inDoubt = false;  // started and left without a result
};

// Joins each card's started record to its result, one journal at a time.
class CardHistory {
 public:
  void Take(const JournalEntry& entry);
  // The cards of the journal read since the last call; cards left started
  // without a result are in doubt.
  void EndOfJournal();
  // Every card, oldest first.
  std::vector<CardHistoryEntry> Entries() const;

 private:
  std::map<std::string, CardRecord> open_;  // started, by IDm
  std::vector<CardHistoryEntry> entries_;
};

enum class HistoryResult { kOk, kFailed, kDoubt };

// What history shows; every part given must match.
struct HistoryFilter {
  std::optional<std::string> idm{};  // 16 upper-case hexadecimal digits
  std::optional<std::string> id{};
  std::optional<std::size_t> row{};
  std::optional<HistoryResult> result{};
  std::optional<EpochSeconds> since{};  // started at or after this moment
};

bool Matches(const HistoryFilter& filter, const CardHistoryEntry& entry);

// The card's record as a run prints it, started time first; a card in doubt
// says "in doubt: started, no result".
std::string HistoryText(const CardHistoryEntry& entry, Language language = Language::kEnglish);
// {"started":"...","time":"...","port":...,"idm":...,"result":"ok"|...|"doubt",...}
std::string HistoryJson(const CardHistoryEntry& entry);

}  // namespace morvik
