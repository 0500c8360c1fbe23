// The journal reader on any bytes: fed whole or in pieces of any size it
// gives the same verdict and the same records; it stops at the first line
// that is no record; and every record it takes, written out again, reads
// back as the same record.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "production/journal.h"

namespace {

using morvik::JournalEntry;
using morvik::JournalEntryKind;

std::string Written(const JournalEntry& entry) {
  return entry.kind == JournalEntryKind::kStarted ? morvik::StartedJson(entry.record) : morvik::RecordJson(entry.record);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> whole;
  const morvik::JournalRead read = morvik::ReadJournal(bytes, [&whole](const JournalEntry& e) {
    whole.push_back(Written(e));
  });
  FUZZ_CHECK(read.records == whole.size());

  std::vector<std::string> pieces;
  morvik::JournalParser parser([&pieces](const JournalEntry& e) { pieces.push_back(Written(e)); });
  for (std::size_t at = 0, step = 1; at < bytes.size(); at += step, step = step % 7 + 1) {
    if (!parser.Feed(bytes.substr(at, step))) break;
  }
  const morvik::JournalRead piecewise = parser.Finish();
  FUZZ_CHECK(pieces == whole && piecewise.badLine == read.badLine && piecewise.cutShort == read.cutShort);

  for (const std::string& line : whole) {
    const std::optional<JournalEntry> again = morvik::ParseJournalLine(line);
    FUZZ_CHECK(again.has_value() && Written(*again) == line);
  }
  return 0;
}
