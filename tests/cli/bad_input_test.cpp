// The tool's bad input, in-process on virtual time: files that are no card
// image (a folder, nothing, a device, a pipe, too much), outputs that take
// nothing, options that contradict each other or the card kind, texts a
// one-line entry cannot hold, images that should not go to a card as they
// are. Each ends with its status and one line that says what is wrong, and
// what the tool can refuse by itself opens no port. No exception escapes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "tests/cli/cli_bench.h"
#include "tests/support/abc_card.h"

namespace morvik {
namespace {

using test::Bench;
using test::RunResult;
using test::Setup;

struct BadInputCase {
  const char* name;
  std::vector<std::string> args;  // {folder}, {card}... stand for the files below
  int status;
  std::string inErr;
  bool fullOutput = false;  // standard output takes nothing
  bool terminal = false;    // standard streams are a terminal
  const char* portDir = nullptr;  // MORVIK_PORT_DIR for the run
};

// The files rows name, made once in a folder of their own.
class Files {
 public:
  Files() : root_(test::OwnTempPath("bad-input")) {
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "folder");
    names_["{folder}"] = (root_ / "folder").string();
    names_["{missing}"] = (root_ / "missing").string();
    Write("{big}", std::string(70000, 'A'));
    Write("{card}", test::AsString(test::AbcContentCard(0x12, 0x34, 0x85)));
    Write("{other}", test::AsString(test::AbcContentCard(0xAB, 0xCD, 0xB7)));
    Write("{damaged}", test::AsString(test::AbcContentCard(0x12, 0x34, 0x86)));
    Write("{foreign}", std::string(256, 'x'));
    Write("{blank}", std::string(256, '\0'));
    Write("{columnTwice}", "id,url,url\nA,a,b\n");
    Write("{bestFit}", "url,popup\nhttp://café/,ü\nx,\n,ü\n");
    Write("{counterRows}", "url\nhttp://a/\nhttp://b/[CT]\nhttp://c/\nhttp://d/[CT]\n");
    Write("{katakana}", "id,url,popup\nA,http://a/,\xC2\xB1\n");  // "ﾂｱ" in code page 932, "±" in UTF-8
    Write("{rows357}", "url,volume\na,1\nb,9\nc,1\nd,1,2\ne,1\n,1\n");
    Write("{cutJson}", "{\"idm\":\"0123456789ABCDEF\",\"image\":\"4D76");
    Write("{longPopup}", "url,popup\na," + std::string(41, 'p') + "\n");
    std::string manyBad = "url,volume\n";
    for (int row = 0; row < 53; ++row) manyBad += "a,9\n";
    Write("{manyBad}", manyBad);
#ifndef _WIN32
    names_["{fifo}"] = (root_ / "fifo").string();
    mkfifo(names_["{fifo}"].c_str(), 0600);
#endif
  }

  ~Files() {
    std::error_code error;
    std::filesystem::remove_all(root_, error);
  }

  // Whether every file still holds what it was made with.
  bool Untouched() const {
    for (const auto& [mark, bytes] : made_) {
      std::ifstream file(names_.at(mark), std::ios::binary);
      if (std::string((std::istreambuf_iterator<char>(file)), {}) != bytes) return false;
    }
    return true;
  }

  std::string Expand(std::string text) const {
    for (const auto& [mark, path] : names_) {
      for (std::size_t at; (at = text.find(mark)) != std::string::npos;) text.replace(at, mark.size(), path);
    }
    return text;
  }

 private:
  void Write(const std::string& mark, const std::string& bytes) {
    names_[mark] = (root_ / mark.substr(1, mark.size() - 2)).string();
    std::ofstream(names_[mark], std::ios::binary) << bytes;
    made_[mark] = bytes;
  }

  std::filesystem::path root_;
  std::map<std::string, std::string> names_;
  std::map<std::string, std::string> made_;
};

const Files& TheFiles() {
  static const Files files;
  return files;
}

class BadInput : public testing::TestWithParam<BadInputCase> {};

TEST_P(BadInput, EndsWithItsStatusAndOneClearLine) {
  const BadInputCase& c = GetParam();
  std::vector<std::string> args;
  for (const std::string& arg : c.args) args.push_back(TheFiles().Expand(arg));
  Bench bench(Setup::kWriter, c.terminal);
  RunResult run{};
#ifndef _WIN32
  if (c.portDir != nullptr) setenv("MORVIK_PORT_DIR", c.portDir, 1);
#endif
  EXPECT_NO_THROW(run = c.fullOutput ? bench.WithFullOutput(args) : bench(args));
#ifndef _WIN32
  unsetenv("MORVIK_PORT_DIR");
#endif
  EXPECT_EQ(run.status, c.status) << run.err;
  EXPECT_NE(run.err.find(TheFiles().Expand(c.inErr)), std::string::npos) << run.err;
  if (c.status == 2) {
    EXPECT_FALSE(run.portsTouched);
  }
  EXPECT_TRUE(TheFiles().Untouched());
}

// clang-format off
std::vector<BadInputCase> BadInputCases() {
  std::vector<BadInputCase> cases{
    {"DecodeFolder", {"decode", "{folder}"}, 2, "morvik-card: {folder}: Is a directory\n"},
    {"WriteFolder", {"write", "--image", "{folder}"}, 2, "{folder}: Is a directory"},
    {"DecodeMissing", {"decode", "{missing}"}, 2, "{missing}: No such file or directory"},
    {"DecodeTooLarge", {"decode", "{big}"}, 2, "{big}: larger than 65536 bytes"},
    {"ImageOutToFolder", {"image", "--url", "abc", "--out", "{folder}"}, 6, "{folder}: Is a directory"},
    {"ImageStdoutFull", {"image", "--url", "abc"}, 6, "morvik-card: standard output: cannot be written\n", true},
    {"OperandAfterDashDash", {"decode", "--", "--help"}, 2, "morvik-card: --help: No such file or directory\n"},
    {"DecodeStdoutFull", {"decode", "{card}"}, 6, "standard output", true},
    {"RawToTerminal", {"image", "--url", "abc", "--format", "raw"}, 2, "name a file with --out", false, true},
    {"InitWithUidCard", {"write", "--init", "--uid-card", "12"}, 2, "--init does not go with --uid-card"},
    {"CidWithUidCard", {"image", "--uid-card", "5", "--cid", "12"}, 2, "--cid does not go with --uid-card"},
    {"WaitEqualsNothing", {"connect", "--wait="}, 2, "--wait= needs a value after the ="},
    {"OptionAsUrl", {"write", "--url", "--verify"}, 2,
     "morvik-card: --url needs a value; a text that begins with -- is written --url=--verify (see"},
    {"OptionAsPopup", {"write", "--url", "a", "--popup", "--fast=1"}, 2, "written --popup=--fast=1"},
    {"HelpAsRows", {"batch", "--rows", "--help"}, 2, "written --rows=--help"},
    {"WaitValueApart", {"uid", "--wait", "30"}, 2, "--wait takes its value after =: uid --wait=30 (see"},
    {"WaitValueApartAfterAFlag", {"uid", "--fast", "--wait", "30"}, 2, "--wait takes its value after =: uid --wait=30"},
    {"PortZero", {"uid", "--port", "COM0"}, 2, "bad value for --port: COM0 (COM1-COM31)"},
    {"CountZero", {"batch", "--count", "0"}, 2, "bad value for --count: 0 (1-2147483647) (see morvik-card batch --help)"},
    {"CountNotANumber", {"batch", "--count", "many"}, 2, "bad value for --count: many (1-2147483647)"},
    {"DecodeJsonCutShort", {"decode", "{cutJson}"}, 2, "{cutJson}: holds 39 bytes, not a card image"},
    {"CidOutside", {"image", "--url", "a", "--cid", "10000"}, 2, "bad value for --cid: 10000 (0-FFFF, hexadecimal)"},
    {"WaitTooLong", {"uid", "--wait=86401"}, 2, "bad value for --wait: 86401 (0-86400 seconds)"},
    {"RowZero", {"history", "{card}", "--row", "0"}, 2, "bad value for --row: 0 (a line number, 1-2147483647)"},
    {"SinceNoMonth13", {"history", "{card}", "--since", "2026-13-01"}, 2, "bad value for --since: 2026-13-01 (no such date"},
    {"IdmShort", {"history", "{card}", "--idm", "0123"}, 2, "bad value for --idm: 0123 (16 hexadecimal digits)"},
    {"FormatOfAnotherCommand", {"uid", "--format", "hex"}, 2, "bad value for --format: hex (text or json)"},
    {"FormatNoCardHas", {"dump", "--format", "text"}, 2, "bad value for --format: text (listing, hex, raw or json)"},
    {"PortsEmptyName", {"batch", "--ports", "COM3,,COM5"}, 2, "--ports: COM3,,COM5 (COM1-COM31, each once)"},
    {"PortsTwice", {"batch", "--ports", "COM3,com3"}, 2, "--ports: COM3,com3 (COM1-COM31, each once)"},
    {"PortOutside", {"batch", "--ports", "COM32"}, 2, "bad value for --ports: COM32 (COM1-COM31, each once)"},
    {"AllAndPorts", {"batch", "--ports", "COM3", "--all"}, 2, "--all and --ports exclude each other"},
    {"BatchWait", {"batch", "--wait"}, 2, "batch does not take --wait"},
    {"VerifyJson", {"verify", "--json"}, 2, "verify does not take --json (see morvik-card verify --help)"},
    {"YesAndNo", {"write", "--url", "a", "--yes", "--no"}, 2, "--yes and --no exclude each other"},
    {"LineEndInUrl", {"write", "--url", "ab\nc"}, 2, "--url: a control character (0x0A) at character 3"},
    {"TabInBody", {"image", "--url", "a", "--mail", "--to", "t", "--body", "ボ\tx"}, 2,
     "--body: a control character (0x09) at character 2"},
    {"ContentWithImage", {"write", "--image", "{card}", "--popup", "p"}, 2, "--popup does not go with --image"},
    {"DamagedImage", {"write", "--image", "{damaged}"}, 2, "{damaged}: damaged (check byte wrong); --force"},
    {"ForeignImage", {"write", "--image", "{foreign}"}, 2, "not a card this tool writes; --force"},
    {"BlankImage", {"write", "--image", "{blank}"}, 2, "{blank}: all zero: writing it clears the card; give --yes"},
    {"DecodeDamaged", {"decode", "{damaged}"}, 1, ""},
    {"ColumnTwice", {"batch", "--rows", "{columnTwice}"}, 2, "morvik-card: {columnTwice}: line 1: column url given twice\n"},
    {"EveryBadRowNamed", {"batch", "--rows", "{rows357}"}, 2,
     "morvik-card: {rows357}: line 3: bad value for --volume: 9 (a list position 0-3)\n"
     "morvik-card: {rows357}: line 5: 3 cells, the header names 2\n"
     "morvik-card: {rows357}: line 7: url: 空のURL情報"},
    {"ListRowTooLongGivesTheBytes", {"batch", "--rows", "{longPopup}"}, 2,
     "{longPopup}: line 2: popup: ポップアップの長さは最大40文字（半角）までです (41 bytes)\n"},
    {"FiftyBadRowsThenHowManyMore", {"batch", "--rows", "{manyBad}"}, 2,
     "{manyBad}: line 51: bad value for --volume: 9 (a list position 0-3)\nmorvik-card: {manyBad}: and 3 more\n"},
    {"BestFitSaidPerRow", {"batch", "--rows", "{bestFit}", "--encoding", "utf-8", "--popup", "ü"}, 2,
     "morvik-card: {bestFit}: line 2: --url: é is written as e\nmorvik-card: {bestFit}: line 4: url: 空のURL"},
    {"RowQuestionWithoutTerminal", {"batch", "--rows", "{counterRows}"}, 2,
     "morvik-card: {counterRows}: rows 3, 5: キーワード[CT]は必ず[IM]の直後に配置する必要があります。このまま書込を続行すると"
     "[CT]はそのまま表示されます\nmorvik-card: no terminal to answer at: taken as Cancel (answer with --yes or --no)\n"},
    {"AmbiguousList", {"batch", "--rows", "{katakana}"}, 2,
     "{katakana}: line 2 reads as UTF-8 \"A,http://a/,±\" and as code page 932 \"A,http://a/,ﾂｱ\""},
    {"EncodingUnknown", {"batch", "--rows", "{katakana}", "--encoding", "latin1"}, 2,
     "bad value for --encoding: latin1 (utf-8, utf8, cp932, sjis, shift_jis, shift-jis or windows-31j)"},
    {"LogNamesTheList", {"batch", "--rows", "{rows357}", "--log", "{rows357}"}, 2,
     "morvik-card: --log names the file --rows reads: {rows357}\n"},
    {"LogNamesTheImage", {"batch", "--image", "{card}", "--log", "{card}"}, 2, "--log names the file --image reads"},
    {"OptionTypo", {"write", "--ulr", "a"}, 2, "write does not take --ulr (did you mean --url?)"},
    {"EmptyUrlNamed", {"write", "--url", ""}, 2, "morvik-card: --url: 空のURL情報"},
    {"PopupTooLongNamed", {"image", "--url", "a", "--popup", std::string(41, 'p')}, 2, "morvik-card: --popup: ポップアップの長さは最大40文字（半角）までです (41 bytes)\n"},
    {"MailLimitNamesTheMailTexts", {"image", "--url", "a", "--mail", "--to", std::string(150, 't'), "--body",
     "[IM]" + std::string(13, 'b')}, 2,  // the length counts the blanks of [IM]
     "morvik-card: --to, --cc, --title, --body, --popup: メール各パラメータとポップアップを合わせた長さは最大178文字（半角）までです (179 bytes)\n"},
    {"UidNumberNamed", {"image", "--uid-card", "XYZ"}, 2, "morvik-card: --uid-card: 入力された番号"},
    {"QuestionWithoutTerminal", {"image", "--url", "a[CT]"}, 2, "answer with --yes or --no"},
    // What may go to a card as it is goes, when the options say so.
    {"BlankWithYes", {"write", "--image", "{blank}", "--yes"}, 0, ""},
    {"OtherCustomerWithYes", {"write", "--image", "{other}", "--yes"}, 0, "customer ID ABCD, the writer 1234"},
    {"DamagedWithForce", {"write", "--image", "{damaged}", "--force"}, 0, ""},
    {"FileAfterDashDash", {"decode", "--", "{card}"}, 0, ""},
  };
#ifndef _WIN32
  cases.insert(cases.end(), {
    {"DecodeDevice", {"decode", "/dev/zero"}, 2, "/dev/zero: not a regular file"},
    {"WriteDevice", {"write", "--image", "/dev/zero"}, 2, "/dev/zero: not a regular file"},
    {"DecodePipe", {"decode", "{fifo}"}, 2, "{fifo}: not a regular file"},
    {"ImageOutFull", {"image", "--url", "abc", "--out", "/dev/full"}, 6, "/dev/full: No space left on device"},
    {"PortDirectoryMissing", {"connect"}, 2, "MORVIK_PORT_DIR=/nonexistent-folder: No such file", false, false,
     "/nonexistent-folder"},
  });
#endif
  return cases;
}
INSTANTIATE_TEST_SUITE_P(Cli, BadInput, testing::ValuesIn(BadInputCases()),
                         [](const auto& info) { return info.param.name; });
// clang-format on

// Another customer's card is asked about once the writer's ID is known.
TEST(ImageFile, OfAnotherCustomerIsAQuestion) {
  const RunResult refused = Bench(Setup::kWriter)({"write", "--image", TheFiles().Expand("{other}"), "--no"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("customer ID ABCD, the writer 1234: write it anyway?\nmorvik-card: " +
                             TheFiles().Expand("{other}") + ": not written\n"),
            std::string::npos)
      << refused.err;
}

}  // namespace
}  // namespace morvik
