// CSV files as offices save them, read into one set of options per row or
// refused with the line, the column and the reason.
#include <gtest/gtest.h>

#include "cli/card_rows.h"
#include "cli/command_table.h"

namespace morvik {
namespace {

struct RowsCase {
  const char* name;
  std::string file;
  std::vector<std::string> commandLine;  // after "batch"
  std::string error;                     // empty: read
  CsvEncoding encoding = CsvEncoding::kUtf8;
  std::vector<std::pair<std::size_t, std::string>> lineAndUrl{};
  std::string firstPopup{}, firstId{};
  int firstVolume = 3;
  bool firstMail = false;
};

class CardRowsRead : public testing::TestWithParam<RowsCase> {};

TEST_P(CardRowsRead, IntoOptionsOrARefusalNamingTheLine) {
  const RowsCase& c = GetParam();
  std::vector<std::string> arguments{"batch"};
  arguments.insert(arguments.end(), c.commandLine.begin(), c.commandLine.end());
  const ParseResult commandLine = ParseCommandLine(arguments, Commands());
  ASSERT_TRUE(commandLine.options) << commandLine.text;
  const CardRows read = ReadCardRows(c.file, *commandLine.options);
  EXPECT_EQ(read.error, c.error);
  EXPECT_EQ(read.encoding, c.encoding);
  if (!c.error.empty()) return;
  ASSERT_EQ(read.rows.size(), c.lineAndUrl.size());
  for (std::size_t i = 0; i < read.rows.size(); ++i) {
    EXPECT_EQ(read.rows[i].line, c.lineAndUrl[i].first);
    EXPECT_EQ(read.rows[i].options.content.url, c.lineAndUrl[i].second);
  }
  const ContentOptions& first = read.rows[0].options.content;
  EXPECT_TRUE(first.popup == c.firstPopup && read.rows[0].id == c.firstId && first.volume == c.firstVolume &&
              first.mail == c.firstMail) << first.popup << " " << read.rows[0].id << " " << first.volume;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Csv, CardRowsRead, testing::ValuesIn(std::vector<RowsCase>{
    {"Quoting", "url,popup\r\n\"a,b\",\"say \"\"hi\"\"\"\r\nc,\r\n", {}, "", CsvEncoding::kUtf8,
     {{2, "a,b"}, {3, "c"}}, "say \"hi\""},
    {"LineEndInAQuotedId", "id,url\n\"A\n1\",abc\nB,def\n", {}, "", CsvEncoding::kUtf8,
     {{2, "abc"}, {4, "def"}}, "", "A\n1"},
    {"ByteOrderMark", "\xEF\xBB\xBFurl,popup\nabc,ポップ\n", {}, "", CsvEncoding::kUtf8WithBom,
     {{2, "abc"}}, "ポップ"},
    {"CodePage932", "url,popup\nabc,\x83|\x83\x62\x83v\n", {}, "", CsvEncoding::kCp932,
     {{2, "abc"}}, "ポップ"},
    {"ShortRowEmptyFirstCell", "id,url,popup\n,abc\n", {"--popup", "p"}, "", CsvEncoding::kUtf8, {{2, "abc"}}, "p"},
    {"EmptyCellKeepsTheCommandLine", "url,volume,mail,to\nabc,,,\ndef,1,1,u\n",
     {"--volume", "2", "--mail", "--to", "t"}, "", CsvEncoding::kUtf8, {{2, "abc"}, {3, "def"}}, "", "", 2, true},
    {"UnknownColumn", "url,colour\nabc,red\n", {}, "line 1: unknown column: colour"},
    {"BadValueInRow7", "url,volume\na,1\nb,1\nc,1\nd,1\ne,1\nf,9\n", {},
     "line 7: bad value for --volume: 9 (a list position 0-3)"},
    {"RuleBetweenOptions", "url,uid-card\nabc,12\n", {}, "line 2: --url does not go with --uid-card: a UID setting card carries its start UID only"},
    {"BadFlag", "url,init\nabc,maybe\n", {}, "line 2: init: maybe is not 1, 0, yes or no"},
    {"FlagCellClearsTheCommandLine", "url,mail,to\nabc,0,\n", {"--mail", "--to", "t"}, "line 2: --to needs --mail"},
    {"QuoteNeverEnds", "url\n\"abc\n", {}, "line 2: a quoted field does not end"},
}), [](const auto& info) { return info.param.name; });
// clang-format on

// A record ends where the text given ends, whatever follows in memory.
TEST(Csv, ReadsNoFurtherThanItsText) {
  const std::string_view text = std::string_view("a,b,c").substr(0, 3);
  EXPECT_EQ(ReadCsv(text).records.at(0).fields, (std::vector<std::string>{"a", "b"}));
}

}  // namespace
}  // namespace morvik
