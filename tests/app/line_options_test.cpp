// The production window's command line, where its journal goes by default,
// and how it tells the time left.
#include <gtest/gtest.h>

#include "app/line/line_options.h"
#include "app/line/line_texts.h"

namespace morvik {
namespace {

struct OptionsCase {
  std::vector<std::string> arguments;
  std::vector<std::string> ports;
  std::string log;
  std::string list;
  std::string error;
};

class LineCommandLine : public testing::TestWithParam<OptionsCase> {};

TEST_P(LineCommandLine, PortsLogAndListOrWhatIsWrong) {
  const OptionsCase& c = GetParam();
  const LineOptionsRead read = ParseLineOptions(c.arguments);
  EXPECT_EQ(read.error ? Say(*read.error, Language::kEnglish) : "", c.error);
  ASSERT_EQ(read.options.has_value(), c.error.empty());
  if (!read.options) return;
  EXPECT_EQ(read.options->ports, c.ports);
  EXPECT_EQ(read.options->log, c.log);
  EXPECT_EQ(read.options->list, c.list);
  EXPECT_EQ(read.options->fast, c.arguments[0] == "--fast");
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, LineCommandLine,
    testing::Values(OptionsCase{{"--fast", "--ports", "com3,COM5", "--log", "記録.jsonl", "一覧.csv"},
                                {"COM3", "COM5"}, "記録.jsonl", "一覧.csv", ""},
                    OptionsCase{{"--ports=COM31", "--log=j"}, {"COM31"}, "j", "", ""},
                    OptionsCase{{"--ports", "COM32"}, {}, "", "", "--ports: not a port COM1-COM31: COM32"},
                    OptionsCase{{"--ports", "COM3,"}, {}, "", "", "--ports: not a port COM1-COM31: "},
                    OptionsCase{{"--ports", "COM3,com3"}, {}, "", "", "--ports: COM3 twice"},
                    OptionsCase{{"a.csv", "--log"}, {}, "", "", "--log needs one file name"},
                    OptionsCase{{"a.csv", "b.csv"}, {}, "", "", "one list only: b.csv"},
                    OptionsCase{{"--verbose"}, {}, "", "", "unknown option: --verbose"}));

TEST(LineJournal, BesideTheListInPlaceOfItsCsvEnding) {
  EXPECT_EQ(JournalBeside("顧客/一覧.csv"), "顧客/一覧.journal.jsonl");
  EXPECT_EQ(JournalBeside("LIST.CSV"), "LIST.journal.jsonl");
  EXPECT_EQ(JournalBeside("list.txt"), "list.txt.journal.jsonl");
  EXPECT_EQ(JournalBeside(".csv"), ".csv.journal.jsonl");
}

TEST(LineTotals, RateAndTimeLeftAsTheOperatorReadsThem) {
  EXPECT_EQ(line_texts::Rate(45.84), "45.8");
  EXPECT_EQ(line_texts::Rate(std::nullopt), "－");
  EXPECT_EQ(line_texts::TimeLeft(std::nullopt), "－");
  EXPECT_EQ(line_texts::TimeLeft(0.5), "1 分未満");
  EXPECT_EQ(line_texts::TimeLeft(1), "約 1 分");
  EXPECT_EQ(line_texts::TimeLeft(3.4), "約 3 分");
  EXPECT_EQ(line_texts::TimeLeft(65), "約 1 時間 5 分");
}

}  // namespace
}  // namespace morvik
