// The journal read back: which lines are records, which are cut short or
// refused, what it says of a list's rows and cards, and the history it gives.
#include "production/journal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <fstream>

#include "production/card_history.h"
#include "tests/support/time_zone.h"

namespace morvik {
namespace {

constexpr const char* kStarted =
    R"({"record":"started","time":"T1","port":"COM3","idm":"01","row":2,"id":"A","file":"L1","image":"I"})";
constexpr const char* kOk =
    R"({"record":"card","time":"T2","port":"COM3","idm":"01","result":"ok","resends":0,"seconds":14.2,"row":2,"id":"A","file":"L1","image":"I"})";

struct LineCase {
  const char* name;
  std::string line;
  bool record;
};

class JournalLine : public testing::TestWithParam<LineCase> {};

TEST_P(JournalLine, IsARecordOnlyWithEveryKeyOfItsKindRightlyTyped) {
  EXPECT_EQ(ParseJournalLine(GetParam().line).has_value(), GetParam().record) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, JournalLine,
    testing::Values(
        LineCase{"Started", kStarted, true}, LineCase{"Card", kOk, true},
        LineCase{"CardWrittenBeforeStartedRecordsExisted",
                 R"({"time":"T","port":"COM3","idm":"01","result":"write-failed","block":9,"row":3,"file":"L1"})", true},
        LineCase{"StartedWithoutImage", R"({"record":"started","time":"T","port":"COM3","idm":"01"})", false},
        LineCase{"UnknownKind", R"({"record":"other","time":"T","port":"COM3","idm":"01","result":"ok"})", false},
        LineCase{"UnknownResult", R"({"time":"T","port":"COM3","idm":"01","result":"fine"})", false},
        LineCase{"RowAsText", R"({"time":"T","port":"COM3","idm":"01","result":"ok","row":"2","file":"L1"})", false},
        LineCase{"NegativeRow", R"({"time":"T","port":"COM3","idm":"01","result":"ok","row":-2,"file":"L1"})", false},
        LineCase{"RowWithoutFile", R"({"time":"T","port":"COM3","idm":"01","result":"ok","row":2})", false},
        LineCase{"VerifiedAsNumber", R"({"time":"T","port":"COM3","idm":"01","result":"ok","verified":0})", false},
        LineCase{"NoIdm", R"({"time":"T","port":"COM3","result":"ok"})", false},
        LineCase{"Array", R"([1,2])", false},
        LineCase{"TextOutput", "2026-12-07T01:33:09Z COM3 0123456789ABCDEF ok 16.4s", false}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReadCase {
  const char* name;
  std::string bytes;
  std::size_t records, cutShort, badLine;
};

class JournalReading : public testing::TestWithParam<ReadCase> {};

// Fed whole and a byte at a time: the same records, the same verdict.
TEST_P(JournalReading, SkipsLinesCutShortAndStopsAtTheFirstLineThatIsNoRecord) {
  const ReadCase& c = GetParam();
  std::size_t taken = 0;
  const JournalRead whole = ReadJournal(c.bytes, [&taken](const JournalEntry&) { ++taken; });
  JournalParser parser([](const JournalEntry&) {});
  for (const char byte : c.bytes) parser.Feed(std::string_view(&byte, 1));
  const JournalRead piecewise = parser.Finish();
  for (const JournalRead& read : {whole, piecewise}) {
    EXPECT_EQ(read.records, c.records);
    EXPECT_EQ(read.cutShort, c.cutShort);
    EXPECT_EQ(read.badLine, c.badLine);
  }
  EXPECT_EQ(taken, c.records);
}

const std::string kS = std::string(kStarted) + "\n";
const std::string kO = std::string(kOk) + "\n";
INSTANTIATE_TEST_SUITE_P(
    Journals, JournalReading,
    testing::Values(ReadCase{"Whole", kS + kO, 2, 0, 0}, ReadCase{"CrLf", kS.substr(0, kS.size() - 1) + "\r\n" + kO, 2, 0, 0},
                    ReadCase{"LastLineCutShort", kS + kO + kS.substr(0, 40), 2, 1, 0},
                    ReadCase{"CutLineMendedByTheNextRun", kS + kS.substr(0, 40) + "\n" + kO, 2, 1, 0},
                    ReadCase{"EmptyLinesSkipped", "\n" + kS + "\n\n" + kO, 2, 0, 0},
                    ReadCase{"TextOutput", kS + "2026-12-07T01:33:09Z COM3 01 ok 16.4s\n" + kO, 1, 0, 2},
                    ReadCase{"ForeignObject", kS + "{\"a\":1}\n", 1, 0, 2},
                    ReadCase{"OverlongLine", std::string(kJournalLineLimit + 1, '{') + "\n" + kS, 0, 0, 1},
                    ReadCase{"Empty", "", 0, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

JournalState StateOf(const std::string& journal, const std::string& list) {
  JournalState state(list);
  ReadJournal(journal, [&state](const JournalEntry& e) { state.Take(e); });
  return state;
}

std::string Line(const char* kind, const char* idm, int row, const char* file, const char* result = "ok",
                 const char* extra = "") {
  return std::string(R"({"record":")") + kind + R"(","time":"T","port":"COM3","idm":")" + idm +
         (std::string(kind) == "card" ? std::string(R"(","result":")") + result : "") + R"(","row":)" +
         std::to_string(row) + R"(,"file":")" + file + R"(","image":"I")" + extra + "}\n";
}

TEST(JournalState, RowsAndCardsDoneCardsInDoubtAndOtherListsSkipped) {
  const std::string journal =
      Line("started", "01", 2, "L1") + Line("card", "01", 2, "L1") +                          // row 2 done
      Line("started", "02", 3, "L1") + Line("card", "02", 3, "L1", "write-failed") +          // failed
      Line("started", "03", 3, "L1") + Line("card", "03", 3, "L1", "ok", R"(,"verified":false)") +
      Line("started", "04", 4, "L1") +                                                         // killed
      Line("started", "05", 2, "L2") + Line("card", "05", 2, "L2") +                           // another list
      Line("started", "06", 7, "L2") +                                                         // in doubt there
      Line("started", "07", 5, "L1") + Line("card", "07", 5, "L1", "writer-lost") +
      Line("started", "08", 6, "L1") + Line("card", "08", 6, "L1") + Line("started", "08", 9, "L1");
  const JournalState state = StateOf(journal, "L1");
  EXPECT_EQ(state.rowsDone(), (RowSet{2, 3, 6}));
  EXPECT_EQ(state.rowsNotReadBack(), 1u);
  std::vector<std::string> done, doubt;
  state.cardsDone().ForEach([&done](const CardRecord& r) { done.push_back(r.idm + " row " + std::to_string(r.row)); });
  std::ranges::sort(done);
  for (const auto& [idm, record] : state.cardsInDoubt()) doubt.push_back(idm + " row " + std::to_string(record.row));
  EXPECT_EQ(done, (std::vector<std::string>{"01 row 2", "03 row 3", "05 row 2"}));  // any list's
  EXPECT_EQ(doubt, (std::vector<std::string>{"04 row 4", "08 row 9"}));           // this list's, the last record
  EXPECT_EQ(state.otherRecords(), 3u);
}

// Cards by IDm past the table's first growths, of both kinds of IDm: each
// found with its own row and id, none lost when removed ones are added again.
TEST(DoneCardTable, EveryCardFoundWithItsRowThroughGrowthRemovalAndAddingAgain) {
  DoneCardTable table;
  const auto idm = [](std::size_t card) {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llX", static_cast<unsigned long long>(card) * 0x10000);
    return card % 3 == 0 ? "card-" + std::to_string(card) : std::string(hex);
  };
  const auto record = [&idm](std::size_t card, std::size_t row, std::string id) {
    CardRecord r;
    r.idm = idm(card), r.row = row, r.id = std::move(id);
    return r;
  };
  constexpr std::size_t kCards = 5000;
  for (std::size_t card = 0; card < kCards; ++card) table.Add(record(card, card + 2, "id" + std::to_string(card)));
  for (std::size_t card = 0; card < kCards; card += 2) table.Remove(idm(card));
  for (std::size_t card = 0; card < kCards; card += 4) table.Add(record(card, 1, ""));
  std::size_t each = 0;
  table.ForEach([&each](const CardRecord&) { ++each; });
  EXPECT_EQ(table.size(), kCards / 2 + kCards / 4);
  EXPECT_EQ(each, table.size());
  for (std::size_t card = 0; card < kCards; ++card) {
    const std::optional<CardRecord> found = table.Find(idm(card));
    const std::string expected = card % 4 == 0 ? "row 1 " : card % 2 == 0 ? "" : "row " + std::to_string(card + 2) + " id" + std::to_string(card);
    EXPECT_EQ(found ? found->idm + " row " + std::to_string(found->row) + " " + found->id : "", expected.empty() ? "" : idm(card) + " " + expected) << card;
  }
  EXPECT_FALSE(table.Find("0000000000000001"));
}

TEST(JournalWriter, AppendsWholeLinesAfterALineCutShort) {
  const std::string path = testing::TempDir() + "journal-writer.jsonl";
  std::ofstream(path, std::ios::binary) << kS << kS.substr(0, 30);
  int error = 0;
  std::optional<JournalWriter> writer = JournalWriter::Open(path, error);
  ASSERT_TRUE(writer) << error;
  EXPECT_TRUE(writer->Append(kOk, error));
  EXPECT_TRUE(writer->Close(error));
  std::string read_error;
  const JournalRead read = ReadJournalFile(path, [](const JournalEntry&) {}, read_error);
  EXPECT_EQ(read_error, "");
  EXPECT_EQ(read.records, 2u);
  EXPECT_EQ(read.cutShort, 1u);
  EXPECT_EQ(read.badLine, 0u);
  std::remove(path.c_str());
  EXPECT_NE(ReadJournalFile(path, [](const JournalEntry&) {}, read_error).records + read_error.size(), 0u);
  EXPECT_EQ(read_error, path + ": No such file or directory");
}

TEST(CardHistory, JoinsEachCardsStartedAndResultOldestFirstAndFilters) {
  const test::ScopedTimeZone tokyo("JST-9");
  CardHistory history;
  const std::string second =  // a later journal, read first; written before the hash had its own key
      R"({"record":"started","time":"2026-12-08T09:00:00Z","port":"COM5","idm":"0000000000000002","row":4,"id":"B","file":"L1","image":"I"})" "\n";
  const std::string first =
      R"({"record":"started","time":"2026-12-07T09:00:00Z","port":"COM3","idm":"0000000000000001","row":2,"id":"A\nx","file":"L1","image_hash":"I"})" "\n"
      R"({"record":"card","time":"2026-12-07T09:00:15Z","port":"COM3","idm":"0000000000000001","result":"verify-failed","block":5,"resends":1,"seconds":15.0,"row":2,"id":"A\nx","file":"L1","image_hash":"I"})" "\n";
  for (const std::string& journal : {second, first}) {
    ReadJournal(journal, [&history](const JournalEntry& e) { history.Take(e); });
    history.EndOfJournal();
  }
  std::vector<std::string> text, json;
  for (const CardHistoryEntry& entry : history.Entries()) {
    text.push_back(HistoryText(entry));
    json.push_back(HistoryJson(entry));
  }
  EXPECT_EQ(text, (std::vector<std::string>{
                      "2026-12-07 18:00:00 +09:00 COM3 0000000000000001 row 2 (A\\nx) verify failed at block 5 15.0s (1 resend)",
                      "2026-12-08 18:00:00 +09:00 COM5 0000000000000002 row 4 (B) in doubt: started, no result"}));
  EXPECT_EQ(json[0],
            R"({"started":"2026-12-07T09:00:00Z","time":"2026-12-07T09:00:15Z","port":"COM3","idm":"0000000000000001",)"
            R"("result":"verify-failed","block":5,"resends":1,"seconds":15.0,"row":2,"id":"A\nx","file":"L1","image_hash":"I"})");
  EXPECT_EQ(json[1], R"({"started":"2026-12-08T09:00:00Z","port":"COM5","idm":"0000000000000002","result":"doubt",)"
                     R"("row":4,"id":"B","file":"L1","image_hash":"I"})");

  const std::vector<CardHistoryEntry> entries = history.Entries();
  const auto shown = [&entries](const HistoryFilter& filter) {
    std::string which;
    for (const CardHistoryEntry& entry : entries) which += Matches(filter, entry) ? entry.record.idm.substr(15) : "";
    return which;
  };
  EXPECT_EQ(shown({}), "12");
  EXPECT_EQ(shown({.idm = "0000000000000002"}), "2");
  EXPECT_EQ(shown({.id = "A\nx"}), "1");
  EXPECT_EQ(shown({.row = 4}), "2");
  EXPECT_EQ(shown({.result = HistoryResult::kFailed}), "1");
  EXPECT_EQ(shown({.result = HistoryResult::kDoubt}), "2");
  EXPECT_EQ(shown({.result = HistoryResult::kOk}), "");
  EXPECT_EQ(shown({.since = ParseTypedTime("2026-12-08T09:00Z")}), "2");
  EXPECT_EQ(shown({.since = ParseTypedTime("2026-12-07T09:00:01Z")}), "2");
}

}  // namespace
}  // namespace morvik
