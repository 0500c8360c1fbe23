// morvik-card run in-process against the loopback writer on virtual time:
// every way a command ends, with its exit status and what it says.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "tests/cli/cli_bench.h"
#include "card/card_formats.h"
#include "cli/card_description.h"
#include "cli/interrupt.h"
#include "cli/tally_words.h"
#include "words/help_catalog.h"

namespace morvik {
namespace {

using test::Bench;
using test::RunResult;
using test::Setup;

struct ExitCase {
  const char* name;
  Setup setup;
  std::vector<std::string> args;
  int status;
  std::string inOut, inErr;
};

class ExitStatus : public testing::TestWithParam<ExitCase> {};

// Help shows a command only the formats it takes.
TEST(CommandHelp, ListsOnlyTheCommandsFormats) {
  for (const auto& [command, formats] : {std::pair{"uid", "text or json"}, {"dump", "listing, hex, raw or json"},
                                         {"history", "text or json"}, {"image", "listing, hex, raw or json"}}) {
    const RunResult help = Bench(Setup::kNoWriter)({command, "--help"});
    const std::size_t line = help.out.find("  --format FMT");
    ASSERT_NE(line, std::string::npos) << command;
    const std::string shown = help.out.substr(line, help.out.find('\n', line) - line);
    EXPECT_NE(shown.find(formats), std::string::npos) << shown;
    EXPECT_EQ(std::string(command) == "uid" || std::string(command) == "history", shown.find("raw") == std::string::npos) << shown;
  }
}

TEST_P(ExitStatus, ToldAndEndedAsTheCaseSays) {
  const ExitCase& c = GetParam();
  const RunResult run = Bench(c.setup)(c.args, "4D76 0002\r\n00050000\t" + std::string(496, '0') + "\n");
  EXPECT_EQ(run.status, c.status) << run.err;
  EXPECT_NE(run.out.find(c.inOut), std::string::npos) << run.out;
  EXPECT_NE(run.err.find(c.inErr), std::string::npos) << run.err;
  // Nothing the tool can refuse by itself waits for a port.
  if (c.status == 2) {
    EXPECT_FALSE(run.portsTouched);
  }
  if (c.status == 2 && c.inOut.empty()) {
    EXPECT_EQ(run.out, "");
  }
}

const std::string kAbcLine0 = "4D760002123400000112340200000000  Mv...4....4.....\n";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cli, ExitStatus, testing::ValuesIn(std::vector<ExitCase>{
    {"Bare", Setup::kWriter, {}, 2, "", "usage: morvik-card COMMAND"},
    {"Version", Setup::kWriter, {"--version"}, 0, "(MOBILE Morvik IC Card Writer 2.11)\n", ""},
    {"HelpOfACommand", Setup::kWriter, {"help", "clear"}, 0, "--wait[=SECONDS]", ""},
    {"HelpOfHelp", Setup::kWriter, {"help", "help"}, 0, "usage: morvik-card COMMAND", ""},
    {"UrlBeginningWithDashes", Setup::kNoWriter, {"image", "--url=--verify", "--format=json"}, 0, "\"url\":\"--verify\"", ""},
    {"CommandHelp", Setup::kWriter, {"image", "--help=all"}, 0, "\n  --volume N          volume: 0-3 = なし/小/中/大", ""},
    {"UnknownCommand", Setup::kWriter, {"frobnicate"}, 2, "", "(see morvik-card --help)\n"},
    {"ListOutOfRange", Setup::kWriter, {"image", "--led=255"}, 2, "",
     "--led: 255 (a list position 0-3)"},
    {"MailTextWithoutMail", Setup::kWriter, {"write", "--url", "a", "--to", "t"}, 2, "", "--mail"},
    {"EmptyUidCard", Setup::kWriter, {"write", "--uid-card="}, 2, "", "--uid-card"},
    {"ClearWithoutYes", Setup::kWriter, {"clear"}, 2, "", "--yes"},
    {"EmptyUrl", Setup::kWriter, {"write"}, 2, "", "空のURL情報"},
    {"UnencodableText", Setup::kNoWriter, {"write", "--url", "😀"}, 2, "", "ＵＲＬ情報"},
    {"QuestionAnsweredNo", Setup::kWriter, {"write", "--url", "a[CT]", "--no"}, 2, "", "[CT]"},
    {"BadServiceNumber", Setup::kWriter, {"write", "--url", "a", "--service-cid", "10000"}, 2, "",
     "FFFF"},
    {"BestFitSaidOncePerOption", Setup::kNoWriter, {"image", "--url", "café/é¥ü", "--popup", "ｱ²"}, 0, "",
     "morvik-card: --url: é is written as e, ¥ as \\, ü as u\nmorvik-card: --popup: ² is written as 2\n"},
    {"Preview", Setup::kNoWriter, {"image", "--url", "abc", "--cid", "1234"}, 0, kAbcLine0, ""},
    {"ServicePreview", Setup::kNoWriter,
     {"image", "--url", "abc", "--service-cid", "1A2B", "--format", "hex"}, 0,
     "4D 76 00 02 1A 2B 00 00 01 00 00 02", ""},
    {"InitPreview", Setup::kNoWriter, {"image", "--url", "abc", "--init", "--format=hex"}, 0, "3C 20\n", ""},
    {"UidPreview", Setup::kNoWriter, {"image", "--uid-card", "1A2B", "--format=hex"}, 0,
     "4D 76 FF 03 1A 2B 00 00", ""},
    {"JsonEscapes", Setup::kNoWriter, {"image", "--url", "a\"\\b", "--format=json"}, 0,
     "\"url\":\"a\\\"\\\\b\",\"popup\":\"\"", ""},
    {"DecodeHexInput", Setup::kNoWriter, {"decode", "-"}, 0, "customer ID:   0005\n", ""},
    {"Connect", Setup::kWriter, {"connect"}, 0,
     "COM2\nMRVKVer=0211, MRVKDate=261206, MRVKCID=1234\n", ""},
    {"ConnectJson", Setup::kWriter, {"connect", "--format", "json"}, 0,
     "{\"port\":\"COM2\",\"version\":\"0211\",\"date\":\"261206\",\"customer_id\":\"1234\"}\n", ""},
    {"DecodeJson", Setup::kNoWriter, {"decode", "-", "--format=json"}, 0, "\"decoded\":{\"kind\":\"content card\",\"customer_id\":\"0005\"", ""},
    {"Trace", Setup::kWriter, {"connect", "--trace"}, 0, "",
     "0.500 COM2 > 02 00 4F 02 F0 00 03 46 0D\n0.700 COM2 < 02 00 30 08 F0 02 11 26 12 06 12 34 03 C4 0D\n"
     "0.700 COM2 > 02 00 4F 04 F1 00 12 34 03 8F 0D\n0.900 COM2 < 02 00 30 00 03 35 0D\n"
     "0.900 COM2 > 02 00 4F 02 F2 00 03 48 0D\n1.100 COM2 < 02 00 30 00 03 35 0D\n"
     "1.200 COM2 > 02 00 7F 01 01 03 86 0D\n1.400 COM2 < 02 00 30 00 03 35 0D\n"
     "1.400 COM2 > 02 00 7F 01 01 03 86 0D\n1.600 COM2 < 02 00 30 00 03 35 0D\n"},
    {"NoWriter", Setup::kNoWriter, {"connect"}, 3, "", "もう一度実行するか、--wait"},
    {"WriterOnAnotherPort", Setup::kWriter, {"uid", "--port", "COM3"}, 3, "", "Writer"},
    {"RefusedPortNamedFirst", Setup::kNoPermission, {"dump"}, 3, "",
     "morvik-card: COM4: no permission (join the group that owns the device)\nmorvik-card: COM12: no permission"
     " (join the group that owns the device)\nmorvik-card: Morvik ICCard Writerにつながりませんでした。上のポートの"},
    {"DamagedTrace", Setup::kDamaged, {"connect", "--trace"}, 1, "",
     "COM2 < 02 00 30 08 F0 02 11 26 12 06 12 34 03 C5 0D (whole frame, wrong checksum: C5 where the bytes sum to C4)\n"},
    {"PortsDamaged", Setup::kDamaged, {"ports", "--format", "json"}, 0, "\"state\":\"damaged\",\"reason\":\"replies arrive damaged", ""},
    {"NamedPortMissing", Setup::kWriter, {"uid", "--port", "COM9"}, 3, "", "morvik-card: COM9: no such port\nmorvik-card: Morvik"},
    {"WriterWaitEnds", Setup::kNoWriter, {"connect", "--wait=3"}, 4, "",
     "Writerを接続してください…（最大3秒）\nmorvik-card: 待ち時間"},
    {"NoCard", Setup::kNoCard, {"uid"}, 4, "", "morvik-card: ICカードを正しく読み取れません"},
    {"CardWaitedFor", Setup::kCardLater, {"uid", "--wait"}, 0, "0123456789ABCDEF\n", "置いてください…\n"},
    {"CardWaitEnds", Setup::kNoCard, {"write", "--url", "a", "--wait=2"}, 4, "",
     "ICカードを書き込み機に置いてください…（最大2秒）\nmorvik-card: 待ち時間が過ぎました\n"},
    {"Uid", Setup::kWriter, {"uid"}, 0, "0123456789ABCDEF\n", ""},
    {"UidJson", Setup::kWriter, {"uid", "--format", "json"}, 0, "{\"idm\":\"0123456789ABCDEF\"}\n", ""},
    {"WriteFailsJson", Setup::kFailingWrite, {"write", "--url", "abc", "--format", "json"}, 1,
     "{\"idm\":\"0123456789ABCDEF\",\"result\":\"write-failed\",\"block\":2,\"read_back\":false}\n", ""},
    {"CardTakenOffAsBatchSaysIt", Setup::kTakenOff, {"write", "--url", "abc", "--format", "json"}, 1,
     "{\"idm\":\"0123456789ABCDEF\",\"result\":\"removed\",\"block\":5,\"read_back\":false}\n", ""},
    {"WriteFails", Setup::kFailingWrite, {"write", "--url", "abc"}, 1, "", "ブロック2で失敗"},
    {"BadReplyResent", Setup::kBadReply, {"write", "--url", "abc", "--verify", "--trace"}, 0, "",
     "COM2 * resend for block 9, try 2\n"},
    {"DumpFails", Setup::kFailingReads, {"dump"}, 1, "", "Retry Limit Exceed"},
    {"DumpJson", Setup::kWriter, {"dump", "--format", "json"}, 0,
     "{\"idm\":\"0123456789ABCDEF\",\"image\":\"0000", ""},
    {"WriteAndVerify", Setup::kWriter, {"write", "--url", "abc", "--verify", "--fast"}, 0,
     "0123456789ABCDEF written and read back: ok\n", ""},
    {"WriteVerifyMismatch", Setup::kWrongByte, {"write", "--url", "abc", "--verify", "--fast", "--format", "json"}, 5,
     "{\"idm\":\"0123456789ABCDEF\",\"result\":\"verify-failed\",\"block\":5,\"read_back\":true}\n", ""},
    {"WriteVerifyMismatchAsVerifySaysIt", Setup::kWrongByte, {"write", "--url", "abc", "--verify"}, 5,
     "0123456789ABCDEF verify failed at block 5\n", ""},
    {"DumpNamesTheCard", Setup::kWriter, {"dump"}, 0, "IDm: 0123456789ABCDEF\n0000", ""},
    {"PortsNone", Setup::kNoWriter, {"ports"}, 3, "", "morvik-card: no serial port at all on COM1-COM31\n"},
    {"VerifyMismatch", Setup::kWriter, {"verify", "--url", "abc", "--trace"}, 5,
     "0123456789ABCDEF verify failed at block 0\n", " COM2 > "},
    {"VerifyUnreadableJson", Setup::kFailingReads, {"verify", "--url", "abc", "--format", "json"}, 1,
     "{\"idm\":\"0123456789ABCDEF\",\"result\":\"unreadable\",\"block\":0}\n", ""},
    {"VerifyNoWriter", Setup::kNoWriter, {"verify", "--url", "abc"}, 3, "", "--wait"},
    {"VerifyNoCard", Setup::kNoCard, {"verify", "--url", "abc", "--port=COM2"}, 4, "", "ICカード"},
    {"Ports", Setup::kNoPermission, {"ports"}, 0,
     "COM4   loopback COM4   no permission (join the group that owns the device)\nCOM12  loopback COM12  ", ""},
    {"PortsJson", Setup::kNoPermission, {"ports", "--format", "json"}, 0,
     "{\"port\":\"COM4\",\"device\":\"loopback COM4\",\"state\":\"no-permission\","
     "\"reason\":\"no permission (join the group that owns the device)\"}\n", ""},
    {"PortsWriter", Setup::kWriter, {"ports", "--fast", "--format", "json"}, 0,
     "{\"port\":\"COM2\",\"device\":\"loopback COM2\",\"state\":\"writer\",\"version\":\"0211\",", ""},
    {"Clear", Setup::kWriter, {"clear", "--yes", "--format", "json"}, 0,
     "{\"idm\":\"0123456789ABCDEF\",\"result\":\"ok\",\"read_back\":false}\n", ""},
}), [](const auto& info) { return info.param.name; });
// clang-format on

// A card may hold a setting no list has, and any byte: the setting is named,
// not looked up, a line end is cut off the popup alone, and JSON still gets one line.
TEST(CardFields, ASettingPastItsListEveryMailTextAndEscapedJson) {
  DecodedCard card;
  card.kind = CardKind::kContent;
  card.mail = true;
  card.mailTitle = "ti\r\n";
  card.url = "u\r";
  card.popup = "p\r\n";
  card.volume = 4;
  card.sectionsWhole = false;
  const CardFields fields = DescribeCard(card);
  for (const auto& field : {CardField{"mail title", "title", "ti\r\n"}, {"volume", "volume", "4 (not in the list)"},
                            {"URL", "url", "u\r"}, {"popup", "popup", "p"},
                            {"sections", "sections", "lengths reach past the content: texts cut"}}) {
    EXPECT_NE(std::find(fields.begin(), fields.end(), field), fields.end()) << field.label;
  }
  EXPECT_NE(CardJson({}, ContentImage{}, {{"URL", "url", "a\"\\b\t"}}).find("\"url\":\"a\\\"\\\\b\\t\"}"),
            std::string::npos);
  // Japanese stays readable: its UTF-8 bytes, not \u escapes.
  EXPECT_NE(CardJson({}, ContentImage{}, {{"popup", "popup", "\xE3\x83\x9D\xE3\x83\x83\xE3\x83\x97"}})
                .find("\"popup\":\"\xE3\x83\x9D\xE3\x83\x83\xE3\x83\x97\"}"),
            std::string::npos);
}

// What `image` shows is what `write` puts on the card with the same options.
class PreviewIsTheCard : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(PreviewIsTheCard, ByteForByte) {
  Bench bench(Setup::kWriter);
  std::vector<std::string> write = {"write", "--yes"};
  write.insert(write.end(), GetParam().begin(), GetParam().end());
  ASSERT_EQ(bench(write).status, 0);
  std::vector<std::string> image = {"image", "--yes", "--format", "raw"};
  if (GetParam()[0] != "--uid-card") image.insert(image.end(), {"--cid", "1234"});
  image.insert(image.end(), GetParam().begin(), GetParam().end());
  const RunResult preview = bench(image);
  EXPECT_EQ(preview.out, std::string(bench.card().begin(), bench.card().end()));
  std::vector<std::string> verify = {"verify", "--yes"};
  verify.insert(verify.end(), GetParam().begin(), GetParam().end());
  EXPECT_EQ(bench(verify).out, "0123456789ABCDEF ok\n");
}

// clang-format off
using Options = std::vector<std::string>;
INSTANTIATE_TEST_SUITE_P(Cli, PreviewIsTheCard, testing::ValuesIn(std::vector<Options>{
    {"--url", "abc[CI]", "--popup", "ポップ", "--volume", "1"},
    {"--url", "a[IM][CT]", "--mail", "--to", "t", "--body", "[CI]", "--init"},
    {"--url", "abc[CI]", "--service-cid", "1A2B"},
    {"--url", "abc", "--read-mark", "--service-cid", "5"},
    {"--uid-card", "BEEF"},
}));
// clang-format on

// On a terminal the progress line counts blocks from 0, as the messages do,
// and is ended before a message begins.
TEST(Progress, CountsAsTheMessagesAndEndsBeforeThem) {
  const RunResult write = Bench(Setup::kFailingWrite, true)({"write", "--url", "abc"});
  EXPECT_NE(write.err.find("\r書き込み: ブロック 1 / 63\nmorvik-card: ICカードへの書き込みがブロック2で"),
            std::string::npos)
      << write.err;
  const RunResult dump = Bench(Setup::kWriter, true)({"dump", "--out", "/dev/null"});
  EXPECT_NE(dump.err.find("\r読み出し: ブロック 59 / 63\r読み出し: ブロック 63 / 63\n"),
            std::string::npos);
}

// On a terminal a question is asked, and only an "o" (or "y") answer goes on;
// a list's question is asked once for every row that raises it.
TEST(Question, AskedOnATerminalAndOnlyOGoesOn) {
  for (const auto& [answer, status] : {std::pair{"o\n", 0}, {"y\n", 0}, {"c\n", 2}, {"", 2}}) {
    const RunResult run = Bench(Setup::kWriter, true)({"write", "--url", "a[CT]"}, answer);
    EXPECT_EQ(run.status, status) << answer;
    EXPECT_NE(run.err.find("[o/c]: "), std::string::npos) << run.err;
  }
  const std::string list = test::OwnTempPath("questions.csv");
  std::ofstream(list) << "url\na[CT]\nb\nc[CT]\n";
  const RunResult rows = Bench(Setup::kWriter, true)({"batch", "--rows", list}, "c\n");
  std::remove(list.c_str());
  EXPECT_EQ(rows.status, 2);
  EXPECT_NE(rows.err.find(": rows 2, 4: キーワード[CT]"), std::string::npos) << rows.err;
  EXPECT_NE(rows.err.find("表示されます\nOK で続行、Cancel で中止 [o/c]: "), std::string::npos) << rows.err;
  EXPECT_EQ(rows.err.find("[o/c]: "), rows.err.rfind("[o/c]: ")) << rows.err;  // once
}

#ifndef _WIN32
// A first interrupt ends an idle tool at once; during a card it asks to finish
// the card, and a second one to stop at the next block.
TEST(InterruptDeathTest, EndsAnIdleToolAndLetsACardFinish) {
  const auto interrupt = [](std::optional<bool> cardInProgress, int times, InterruptMode mode = InterruptMode::kEndWhenIdle,
                            Language language = Language::kEnglish) {
    InstallInterruptHandlers(mode, language);
    if (cardInProgress) SetCardInProgress(*cardInProgress);
    for (int i = 0; i < times; ++i) std::raise(SIGINT);
    std::exit(InterruptCount());
  };
  EXPECT_EXIT(interrupt(std::nullopt, 1), testing::ExitedWithCode(130), "");  // no card yet
  EXPECT_EXIT(interrupt(false, 1), testing::ExitedWithCode(130), "");
  // Said from the start of stderr (no blank line before it when it is no terminal).
  EXPECT_EXIT(interrupt(true, 1), testing::ExitedWithCode(1), "^morvik-card: interrupted: finishing the card being");
  EXPECT_EXIT(interrupt(true, 1, InterruptMode::kCount), testing::ExitedWithCode(1), "finishing the cards being");
  EXPECT_EXIT(interrupt(true, 2), testing::ExitedWithCode(2), "written .*\nmorvik-card: interrupted again: stopping");
  EXPECT_EXIT(interrupt(true, 2, InterruptMode::kCount, Language::kJapanese), testing::ExitedWithCode(2),
              "^morvik-card: 中断します：書き込み中のカードを仕上げてから終わります.*\nmorvik-card: もう一度中断されました");
  // A command that only reads leaves nothing half done: it ends at once.
  EXPECT_EXIT(interrupt(true, 1, InterruptMode::kEndAtOnce), testing::ExitedWithCode(130), "");
}
#endif

TEST(Readme, ShowsTheHelpAsTheToolPrintsIt) {
  std::ifstream readme(MORVIK_SOURCE_DIR "/README.md");
  const std::string text((std::istreambuf_iterator<char>(readme)), {});
  const RunResult help = Bench(Setup::kNoWriter)({"--help"});
  std::string indented;
  std::istringstream lines(help.out);
  for (std::string line; std::getline(lines, line);)
    indented += (line.empty() ? "" : "    ") + line + "\n";
  EXPECT_NE(text.find(indented), std::string::npos) << indented;
}

}  // namespace
}  // namespace morvik

namespace morvik {
namespace {

// The tool in English and in Japanese: the same statuses and the same output
// (JSON included), its own texts in each language.
struct BothLanguages {
  const char* name;
  std::vector<std::string> args;
  int status;
  const char* english;
  const char* japanese;
  test::Setup setup = test::Setup::kWriter;
  std::string input{};
  const char* journal = nullptr;  // written to a file whose name stands for JOURNAL in args and texts
};

std::string WithJournal(std::string text, const std::string& path) {
  for (std::size_t at = text.find("JOURNAL"); at != std::string::npos; at = text.find("JOURNAL")) text.replace(at, 7, path);
  return text;
}

// Help, what decode and write say of a card, and the ports are printed on stdout.
bool TextsOnStdout(const BothLanguages& c) {
  if (c.args.front() == "help" || c.args.back() == "--help") return true;
  return c.status == 0 && (c.args.front() == "decode" || c.args.front() == "write" || c.args.front() == "ports");
}

class ToolLanguage : public ::testing::TestWithParam<BothLanguages> {};

TEST_P(ToolLanguage, SameStatusAndOutputTextsInEachLanguage) {
  const BothLanguages& c = GetParam();
  test::Bench english(c.setup);
  test::Bench japanese(c.setup);
  japanese.SpeakIn(Language::kJapanese);
  const std::string journal = test::OwnTempPath("language.jsonl");
  if (c.journal != nullptr) std::ofstream(journal) << c.journal;
  std::vector<std::string> args;
  for (const std::string& arg : c.args) args.push_back(WithJournal(arg, journal));
  const test::RunResult inEnglish = english(args, c.input);
  const test::RunResult inJapanese = japanese(args, c.input);
  EXPECT_EQ(inEnglish.status, c.status);
  EXPECT_EQ(inJapanese.status, c.status);
  if (TextsOnStdout(c)) {
    EXPECT_NE(inEnglish.out.find(c.english), std::string::npos) << inEnglish.out;
    EXPECT_NE(inJapanese.out.find(c.japanese), std::string::npos) << inJapanese.out;
    return;
  }
  EXPECT_EQ(inEnglish.out, inJapanese.out);
  EXPECT_EQ(inEnglish.err, WithJournal(c.english, journal));
  EXPECT_EQ(inJapanese.err, WithJournal(c.japanese, journal));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ToolLanguage,
    ::testing::Values(
        BothLanguages{"UnknownCommand", {"wrte"}, 2,
                      "morvik-card: unknown command: wrte (did you mean write?) (see morvik-card --help)\n",
                      "morvik-card: wrte というコマンドはありません（write のことですか）（morvik-card --help を参照）\n"},
        BothLanguages{"NeedsValue", {"image", "--url"}, 2,
                      "morvik-card: --url needs a value (see morvik-card image --help)\n",
                      "morvik-card: --url には値を指定してください（morvik-card image --help を参照）\n"},
        BothLanguages{"GivenTwice", {"write", "--url", "a", "--url=b"}, 2,
                      "morvik-card: --url given twice (see morvik-card write --help)\n",
                      "morvik-card: --url が二度指定されています（morvik-card write --help を参照）\n"},
        BothLanguages{"NeedsOperand", {"decode"}, 2, "morvik-card: decode needs FILE|- (see morvik-card decode --help)\n",
                      "morvik-card: decode には FILE|- を指定してください（morvik-card decode --help を参照）\n"},
        BothLanguages{"BadListPosition", {"image", "--volume", "9"}, 2,
                      "morvik-card: bad value for --volume: 9 (a list position 0-3) (see morvik-card image --help)\n",
                      "morvik-card: --volume に 9 は指定できません（0～3 の番号）（morvik-card image --help を参照）\n"},
        BothLanguages{"BadChoice", {"history", "--result", "x", "a.log"}, 2,
                      "morvik-card: bad value for --result: x (ok, failed or doubt) (see morvik-card history --help)\n",
                      "morvik-card: --result に x は指定できません（ok、failed、doubt のいずれか）"
                      "（morvik-card history --help を参照）\n"},
        BothLanguages{"Help", {"--help"}, 0,
                      "usage: morvik-card COMMAND [options]\n       morvik-card COMMAND --help    (or:",
                      "使い方: morvik-card COMMAND [options]\n        morvik-card COMMAND --help    （または"},
        BothLanguages{"CommandHelp", {"help", "clear"}, 0, "usage: morvik-card clear [options]\nWrites 64 zero",
                      "使い方: morvik-card clear [options]\nライター上のカードにゼロのブロックを 64 個"},
        BothLanguages{"OptionHelp", {"image", "--help"}, 0, "\n  --volume N          volume: 0-3 = なし/小/中/大 (default 3)\n",
                      "\n  --volume N          音量：0～3 = なし/小/中/大（既定 3）\n"},
        BothLanguages{"Describe", {"decode", "-"}, 0, "kind:          content card\ncustomer ID:   FFFF\n",
                      "種類:               コンテンツカード\n顧客 ID:            FFFF\n", test::Setup::kNoWriter,
                      "4D760002" + std::string(8, 'F') + std::string(496, '0')},
        BothLanguages{"Written", {"write", "--url", "abc", "--verify"}, 0, "0123456789ABCDEF written and read back: ok\n",
                      "0123456789ABCDEF を書き込み、読み返しました：OK\n"},
        BothLanguages{"Json", {"image", "--url", "http://e.com/", "--format", "json"}, 0, "", ""},
        BothLanguages{"PortsJson", {"ports", "--format", "json"}, 0, "", "", test::Setup::kNoPermission},
        BothLanguages{"PortWithWriter", {"ports"}, 0, "  writer MRVKVer=0211", "  ライター MRVKVer=0211"},
        BothLanguages{"DamagedPort", {"connect", "--port", "COM2"}, 1,
                      "morvik-card: COM2: replies arrive damaged: check the cable and what runs beside it\n"
                      "morvik-card: Morvik ICCard Writerにつながりませんでした。上のポートの問題を解消してからもう一度実行してください\n",
                      "morvik-card: COM2: 応答が壊れて届きます。ケーブルと、そばで動いている機器を確認してください\n"
                      "morvik-card: Morvik ICCard Writerにつながりませんでした。上のポートの問題を解消してからもう一度実行してください\n",
                      test::Setup::kDamaged},
        BothLanguages{"BatchRows", {"batch", "--rows", "-", "--ports", "COM3", "--format", "json"}, 3,
                      "morvik-card: -: 1 row (UTF-8), 0 done before\nmorvik-card: COM3: no such port\n"
                      "morvik-card: no writer answers on COM3\n",
                      "morvik-card: -: 1 行（BOM なしの UTF-8）、書き込み済み 0 行\nmorvik-card: COM3: そのポートはありません\n"
                      "morvik-card: COM3 で応答するライターがありません\n",
                      test::Setup::kWriter, "url\nhttp://e.com/\n"},
        BothLanguages{"HistoryCutShort", {"history", "JOURNAL"}, 0,
                      "morvik-card: JOURNAL: 1 line cut short (a run ended while writing it) skipped\n",
                      "morvik-card: JOURNAL：途中で切れた行 1 行を飛ばしました（書き込み中に実行が終わった行です）\n",
                      test::Setup::kWriter, "", "{\"record\":\"card\""},
        BothLanguages{"LogOverList", {"batch", "--rows", "JOURNAL", "--log", "JOURNAL"}, 2,
                      "morvik-card: --log names the file --rows reads: JOURNAL\n",
                      "morvik-card: --log に --rows で読むファイルが指定されています：JOURNAL\n", test::Setup::kWriter, "",
                      "url\nhttp://e.com/\n"}),
    [](const ::testing::TestParamInfo<BothLanguages>& info) { return std::string(info.param.name); });

// On a terminal a wide character takes two columns: the usage lines still start
// "morvik-card" in one column.
TEST(HelpLayout, JapaneseUsageLinesAlign) {
  test::Bench japanese(test::Setup::kNoWriter);
  japanese.SpeakIn(Language::kJapanese);
  std::istringstream lines(japanese({"--help"}).out);
  std::set<std::size_t> columns;
  for (std::string line; std::getline(lines, line) && !line.empty();) {
    columns.insert(DisplayWidth(line.substr(0, line.find("morvik-card"))));
  }
  EXPECT_EQ(columns, std::set<std::size_t>{8});
}

}  // namespace
}  // namespace morvik

namespace morvik {
namespace {

TEST(TallyLine, EveryCountAndNoteInEachLanguage) {
  WriterTally tally{"COM3", 9, 1, 1, 1, 1, 1, 3};
  tally.SetProblem({Said::kProblemWriterLost});
  tally.AddRecovered({Said::kFoundAfterStart});
  tally.AddRecovered({Said::kLostAndBackTimes, {"2"}});
  EXPECT_EQ(TallyLine(tally, false, Language::kEnglish),
            "COM3: 14 cards, 9 ok, 1 write failed, 1 verify failed, 1 removed, 1 interrupted, 1 writer lost, "
            "3 resends; found after the start, writer lost and back (2 times); writer lost");
  EXPECT_EQ(TallyLine(tally, false, Language::kJapanese),
            "COM3：カード 14 枚、OK 9、書き込み失敗 1、読み返し不一致 1、取り外し 1、中断 1、ライター応答なし 1、"
            "再送 3 回；開始後に見つかりました、応答が途切れて戻りました（2 回）；ライターが応答しなくなりました");
  const WriterTally one{"COM3", 1, 0, 0, 0, 0, 0, 1};
  EXPECT_EQ(TallyLine(one, true, Language::kEnglish), "all: 1 card, 1 ok, 1 resend");
  EXPECT_EQ(TallyLine(one, true, Language::kJapanese), "全ライター：カード 1 枚、OK 1、再送 1 回");
}

}  // namespace
}  // namespace morvik
