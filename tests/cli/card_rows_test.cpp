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
  std::string problems;
  for (const RowProblem& problem : read.problems) problems += (problems.empty() ? "" : "\n") + ProblemText(problem, Language::kEnglish);
  EXPECT_EQ(problems, c.error);
  EXPECT_EQ(read.encoding, c.encoding);
  if (!c.error.empty()) return;
  ASSERT_EQ(read.rows.size(), c.lineAndUrl.size());
  for (std::size_t i = 0; i < read.rows.size(); ++i) {
    EXPECT_EQ(read.rows[i].line, c.lineAndUrl[i].first);
    EXPECT_EQ(RowOptions(read, i).content.url, c.lineAndUrl[i].second);
  }
  const CliOptions firstRow = RowOptions(read, 0);
  const ContentOptions& first = firstRow.content;
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
    // "ﾂｱ" in code page 932 is "±" in UTF-8: said how to read it, or refused.
    {"HalfWidthKatakanaAsCodePage932", "url,popup\nabc,\xC2\xB1\n", {"--rows", "-", "--encoding", "cp932"}, "", CsvEncoding::kCp932,
     {{2, "abc"}}, "ﾂｱ"},
    {"HalfWidthKatakanaAsUtf8", "url,popup\nabc,\xC2\xB1\n", {"--rows", "-", "--encoding", "utf-8"}, "", CsvEncoding::kUtf8,
     {{2, "abc"}}, "±"},
    {"HalfWidthKatakanaAmbiguous", "url,popup\nabc,p\r\nabc,\xC2\xB1\r\n", {}, "line 3 reads as UTF-8 \"abc,±\" and as "
     "code page 932 \"abc,ﾂｱ\": say which with --encoding utf-8 or --encoding cp932"},
    // The first three-byte lead (0xE0): "कA" is code page 932 text too, but as UTF-8 it is no two-byte form.
    {"ThreeByteFormFromE0IsUtf8", "id,url\n\xE0\xA4\x95" "A,abc\n", {}, "", CsvEncoding::kUtf8, {{2, "abc"}}, "",
     "\xE0\xA4\x95" "A"},
    {"KanjiInUtf8IsUtf8", "url,popup\nabc,\xC2\xB1ようこそ\n", {}, "", CsvEncoding::kUtf8, {{2, "abc"}}, "±ようこそ"},
    {"CodePage932GivenAsUtf8", "url,popup\nabc,\x83|\x83\x62\x83v\n", {"--rows", "-", "--encoding", "utf-8"}, "not valid UTF-8"},
    {"EmptyFirstCell", "id,url,popup\n,abc,\n", {"--popup", "p"}, "", CsvEncoding::kUtf8, {{2, "abc"}}, "p"},
    {"EmptyCellKeepsTheCommandLine", "url,volume,mail,to\nabc,,,\ndef,1,1,u\n",
     {"--volume", "2", "--mail", "--to", "t"}, "", CsvEncoding::kUtf8, {{2, "abc"}, {3, "def"}}, "", "", 2, true},
    {"UnknownAndTwiceNamedColumns", "url,colour,url\nabc,red,d\n", {},
     "line 1: unknown column: colour\nline 1: column url given twice"},
    {"EveryBadRowNamed", "url,volume\na,1\nb,9\nc,1\nd\ne,1\n\"f\ng\",1\nh,1,2\n", {},
     "line 3: bad value for --volume: 9 (a list position 0-3)\nline 5: 1 cell, the header names 2\n"
     "line 7: url: a line end in the cell (only the id column may hold one; is a quote missing?)\n"
     "line 9: 3 cells, the header names 2"},
    {"RuleBetweenOptions", "url,uid-card\nabc,12\n", {}, "line 2: --url does not go with --uid-card: a UID setting card carries its start UID only"},
    {"BadFlag", "url,init\nabc,maybe\n", {}, "line 2: init: maybe is not 1, 0, yes or no"},
    {"FlagCellClearsTheCommandLine", "url,mail,to\nabc,0,\n", {"--mail", "--to", "t"}, "line 2: --to needs --mail"},
    {"QuoteNeverEnds", "url\n\"abc\n", {}, "line 2: a quoted field does not end"},
    {"HeaderInAnyCaseWithSpaces", " URL ,Popup\nabc,p\n", {}, "", CsvEncoding::kUtf8, {{2, "abc"}}, "p"},
    {"SeparatorRowsAreBlank", "id,url\n,\nA,abc\n , \t\n,,,\n", {}, "", CsvEncoding::kUtf8, {{3, "abc"}}, "", "A"},
    {"EveryRepeatedIdNamed", "id,url\nA,a\nB,b\nA,c\nA,d\nB,e\n", {},
     "line 4: id A is the id of line 2 too: every row's id must differ\n"
     "line 5: id A is the id of line 2 too: every row's id must differ\n"
     "line 6: id B is the id of line 3 too: every row's id must differ"},
}), [](const auto& info) { return info.param.name; });
// clang-format on

// A row is its cells whatever the order of the columns; equal rows are told
// apart by their occurrence, and a row of separators is counted once.
TEST(CardRowsIdentity, CellsWhateverTheColumnOrderAndOccurrenceOfEqualRows) {
  const ParseResult commandLine = ParseCommandLine({"batch"}, Commands());
  ASSERT_TRUE(commandLine.options);
  const CardRows one = ReadCardRows("url,popup\na,p\na,p\nb,p\n,\n", *commandLine.options);
  const CardRows other = ReadCardRows("popup,id,url\np,X,a\n", *commandLine.options);
  ASSERT_EQ(one.rows.size(), 3u);
  ASSERT_EQ(other.rows.size(), 1u);
  EXPECT_EQ(one.rows[0].cells, other.rows[0].cells);  // the id is no cell of the row's content
  EXPECT_EQ(one.rows[0].cells, one.rows[1].cells);
  EXPECT_NE(one.rows[0].cells, one.rows[2].cells);
  EXPECT_EQ(std::vector<std::size_t>({one.rows[0].occurrence, one.rows[1].occurrence, one.rows[2].occurrence}),
            std::vector<std::size_t>({1, 2, 1}));
  EXPECT_EQ(one.blankLines, std::vector<std::size_t>{5});
}

TEST(CsvEncodingNamed, TakesTheNamesPeopleTypeInAnyCase) {
  for (const char* name : {"cp932", "SJIS", "Shift_JIS", "shift-jis", "Windows-31J"}) {
    EXPECT_EQ(CsvEncodingNamed(name), CsvEncoding::kCp932) << name;
  }
  for (const char* name : {"utf-8", "UTF8"}) EXPECT_EQ(CsvEncodingNamed(name), CsvEncoding::kUtf8) << name;
  for (const char* name : {"", "latin1", "utf-16", "cp9320"}) EXPECT_EQ(CsvEncodingNamed(name), std::nullopt) << name;
}

// A record ends where the text given ends, whatever follows in memory.
TEST(Csv, ReadsNoFurtherThanItsText) {
  const std::string_view text = std::string_view("a,b,c").substr(0, 3);
  EXPECT_EQ(ReadCsv(text).records.at(0).fields, (std::vector<std::string>{"a", "b"}));
}

}  // namespace
}  // namespace morvik
