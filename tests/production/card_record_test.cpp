// The report of a production run: each card's line as text and JSON, and the
// exit status the writers' tallies add up to.
#include "production/card_record.h"

#include <gtest/gtest.h>

#include "tests/support/time_zone.h"

namespace morvik {
namespace {

struct RecordCase {
  CardResult result;
  int block;
  const char* text;
  const char* json;
  int resends = 0;
  const char* note = "";
};

class CardRecordTest : public testing::TestWithParam<RecordCase> {};

TEST_P(CardRecordTest, TextAndJsonLinesCarryTheResultAndItsBlock) {
  const RecordCase& c = GetParam();
  const test::ScopedTimeZone tokyo("JST-9");
  const CardRecord record{"2026-12-07T01:23:45Z", "COM3", "0123456789ABCDEF", c.result, c.block, 17.26, c.resends};
  EXPECT_EQ(RecordText(record),
            std::string("2026-12-07 10:23:45 +09:00 COM3 0123456789ABCDEF ") + c.text + " 17.3s" + c.note);
  EXPECT_EQ(RecordJson(record), std::string(R"({"record":"card","time":"2026-12-07T01:23:45Z","port":"COM3",)") +
                                    R"("idm":"0123456789ABCDEF","result":)" + c.json + R"(,"resends":)" +
                                    std::to_string(c.resends) + R"(,"seconds":17.3})");
}

INSTANTIATE_TEST_SUITE_P(
    Results, CardRecordTest,
    testing::Values(RecordCase{CardResult::kOk, 5, "ok", R"("ok")", 1, " (1 resend)"},
                    RecordCase{CardResult::kWriteFailed, 9, "write failed at block 9", R"("write-failed","block":9)",
                               2, " (2 resends)"},
                    RecordCase{CardResult::kVerifyFailed, 63, "verify failed at block 63",
                               R"("verify-failed","block":63)"},
                    RecordCase{CardResult::kRemoved, 20, "card removed", R"("removed","block":20)"},
                    RecordCase{CardResult::kInterrupted, 0, "interrupted at block 0",
                               R"("interrupted","block":0)"},
                    RecordCase{CardResult::kWriterLost, 8, "writer lost at block 8", R"("writer-lost","block":8)"}));

// A quoted CSV cell may hold a line end: kept whole in JSON, shown escaped on the text line.
TEST(CardRecord, IdCellIsKeptWholeAndTheTextLineStaysOneLine) {
  CardRecord record{"t", "COM3", "01", CardResult::kOk, 0, 1.0, 0, 2, "a\"b\\c\nd\te", "AB"};
  EXPECT_NE(RecordJson(record).find(R"("row":2,"id":"a\"b\\c\nd\te","file":"AB"})"), std::string::npos)
      << RecordJson(record);
  EXPECT_EQ(RecordText(record), "t COM3 01 row 2 (a\"b\\c\\nd\\te) ok 1.0s");
  record.verified = false;
  record.foundInDoubt = true;
  record.image = "IM";
  EXPECT_EQ(RecordText(record), "t COM3 01 row 2 (a\"b\\c\\nd\\te) ok, not read back 1.0s (found in doubt)");
  EXPECT_EQ(RecordText(record, Language::kJapanese),
            "t COM3 01 2 行目（a\"b\\c\\nd\\te） OK（読み返しなし） 1.0 秒（途中のカードとして見つかりました）");
  EXPECT_NE(RecordJson(record).find(R"("file":"AB","image_hash":"IM","verified":false,"found_in_doubt":true})"),
            std::string::npos) << RecordJson(record);
  EXPECT_EQ(StartedJson(record), R"({"record":"started","time":"t","port":"COM3","idm":"01","row":2,)"
                                 R"("id":"a\"b\\c\nd\te","file":"AB","image_hash":"IM"})");
}

}  // namespace
}  // namespace morvik
