#include "production/card_history.h"

#include <algorithm>

#include "production/record_json.h"
#include "production/record_time.h"

namespace morvik {

void CardHistory::Take(const JournalEntry& entry) {
  const CardRecord& r = entry.record;
  if (entry.kind == JournalEntryKind::kStarted) {
    open_[r.idm] = r;
    return;
  }
  const auto started = open_.find(r.idm);
  entries_.push_back({started == open_.end() ? r.time : started->second.time, r, false});
  if (started != open_.end()) open_.erase(started);
}

void CardHistory::EndOfJournal() {
  for (const auto& [idm, started] : open_) entries_.push_back({started.time, started, true});
  open_.clear();
}

std::vector<CardHistoryEntry> CardHistory::Entries() const {
  std::vector<CardHistoryEntry> entries = entries_;
  std::stable_sort(entries.begin(), entries.end(),
                   [](const CardHistoryEntry& a, const CardHistoryEntry& b) { return a.started < b.started; });
  return entries;
}

bool Matches(const HistoryFilter& f, const CardHistoryEntry& e) {
  const HistoryResult result = e.inDoubt                            ? HistoryResult::kDoubt
                               : e.record.result == CardResult::kOk ? HistoryResult::kOk
                                                                    : HistoryResult::kFailed;
  return (!f.idm || *f.idm == e.record.idm) && (!f.id || *f.id == e.record.id) &&
         (!f.row || *f.row == e.record.row) && (!f.result || *f.result == result) &&
         (!f.since || ParseRecordTime(e.started).value_or(*f.since - 1) >= *f.since);
}

std::string HistoryText(const CardHistoryEntry& entry, Language language) {
  CardRecord shown = entry.record;
  shown.time = entry.started;
  if (entry.inDoubt) return Say({Said::kHistoryInDoubt, {RecordHead(shown, language)}}, language);
  return RecordText(shown, language);
}

std::string HistoryJson(const CardHistoryEntry& entry) {
  JsonObject card = CardObject(entry.record);
  JsonObject joined{{"started", entry.started}};
  if (!entry.inDoubt) joined["time"] = entry.record.time;
  for (const char* key : {"port", "idm", "result", "block", "resends", "seconds", "row", "id", "file", "image_hash",
                          "verified", "found_in_doubt"}) {
    if (card.contains(key)) joined[key] = card[key];
  }
  if (entry.inDoubt) {
    joined["result"] = "doubt";
    for (const char* key : {"resends", "seconds"}) joined.erase(key);
  }
  return JsonLine(joined);
}

}  // namespace morvik
