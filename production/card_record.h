// What a production run reports: one record per card, a tally per writer, and
// the exit status they add up to. Pure formatting, no I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "words/catalog.h"

namespace morvik {

enum class CardResult { kOk, kWriteFailed, kVerifyFailed, kRemoved, kInterrupted, kWriterLost };

struct CardRecord {
  std::string time;  // UTC, "2026-12-07T01:23:45Z"
  std::string port;
  std::string idm;
  CardResult result = CardResult::kOk;
  int block = 0;  // where it failed or stopped; not shown for ok
  double seconds = 0;
  int resends = 0;  // block requests sent again after a bad reply
  // The row of a list the card was written from: its line in the file (0:
  // no list), its id cell and the file's hash.
  std::size_t row = 0;
  std::string id{};
  std::string file{};
  // What the row is, wherever it moves in its list: the hash of its cells,
  // which occurrence of those cells it is (rows without an id), and the
  // list's file name.
  std::string cells{};
  std::size_t occurrence = 0;
  std::string list{};
  // The run that wrote the record, on a journal runs share: its own lock,
  // the computer and the process.
  std::string run{};
  std::string host{};
  long pid = 0;
  std::string image{};        // the hash of the image written (ImageHash), empty when not known
  bool verified = true;       // read back and compared; false when the run reads no card back
  bool foundInDoubt = false;  // an earlier run started this card and left no result for it
};

// "2026-12-07T01:23:45Z COM3 0123456789ABCDEF", with " row 7 (A-001)" for a card of a list.
std::string RecordHead(const CardRecord& record, Language language = Language::kEnglish);
// "2026-12-07T01:23:45Z COM3 0123456789ABCDEF write failed at block 9 13.2s (2 resends)",
// with " row 7 (A-001)" after the IDm for a card of a list; an ok card not
// read back says "ok, not read back", one found in doubt ends "(found in doubt)".
// Control characters of the id are shown escaped ("\n"): one record, one line.
std::string RecordText(const CardRecord& record, Language language = Language::kEnglish);
// "row 7" or "row 7 (A-001)": a list's row in a line.
Saying RowSaying(std::size_t row, const std::string& id);
// "1 resend", "3 resends".
Saying ResendsSaying(int count);
// {"record":"card","time":"...","port":"COM3","idm":"...","result":"write-failed","block":9,
//  "resends":2,"seconds":13.2}, with ,"row":7,"id":"A-001","file":"...","image_hash":"..." after it
// for a card of a list, "verified":false when not read back, "found_in_doubt":true.
std::string RecordJson(const CardRecord& record);
// What the journal holds before a card's first block is written:
// {"record":"started","time":"...","port":"COM3","idm":"...","row":7,"id":"A-001","file":"...","image_hash":"..."}
std::string StartedJson(const CardRecord& record);

// 16 hexadecimal digits: a stable digest (64-bit FNV-1a) of a list's bytes or
// of a card image, for matching a journal to them.
std::string ContentHash(std::string_view bytes);
// The same digest as a number, for tables keyed by what a text is.
std::uint64_t ContentDigest(std::string_view bytes);

struct WriterTally {
  std::string port;
  int ok = 0;
  int writeFailed = 0;
  int verifyFailed = 0;
  int removed = 0;
  int interrupted = 0;
  int writerLost = 0;
  int resends = 0;
  std::string problem{};    // why the writer stopped early, empty when it did not
  std::string recovered{};  // what the writer got over: lost and back, found late
  // The same two as kinds, for words in the user's language; the texts above are their JSON values.
  std::vector<Saying> recoveredSaid{};
  std::optional<Saying> problemSaid{};

  // Sets the problem, as a kind and as its JSON value.
  void SetProblem(Saying said);
  void AddRecovered(Saying said);

  void Count(CardResult result);
  int cards() const { return ok + writeFailed + verifyFailed + removed + interrupted + writerLost; }
};

// All writers' tallies as one.
WriterTally TotalOf(std::span<const WriterTally> tallies);

}  // namespace morvik
