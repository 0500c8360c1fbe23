// morvik-card as an operator or a script runs it: against morvik-writer-sim on
// real pseudo-terminals, with the real 200 ms time-outs.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "tests/support/abc_card.h"
#include "tests/support/process.h"

namespace morvik {
namespace {

using test::RunCommand;
using test::Simulator;

const std::string kCard = MORVIK_CARD;

std::string AbcBytes() { return test::AsString(test::AbcContentCard(0x12, 0x34, 0x85)); }

std::string FileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), {});
}

TEST(EndToEnd, PortsTraceAndAnImageThroughTheCardAndBack) {
  test::Simulator simulator({"--com", "2", "--silent-com", "1"});
  ASSERT_TRUE(simulator.ready());
  const std::string dir = simulator.portDir();

  // Ports that lead to what is no writer, each with its reason in the words batch and connect use too.
  std::filesystem::create_symlink("/dev/null", dir + "/COM3");
  std::filesystem::create_directory(dir + "/folder");
  std::filesystem::create_symlink(dir + "/folder", dir + "/COM4");
  mkfifo((dir + "/COM5").c_str(), 0600);
  std::filesystem::create_symlink(dir + "/nowhere", dir + "/COM6");
  const auto ports = RunCommand({kCard, "ports"});
  EXPECT_EQ(ports.status, 0) << ports.err;
  const std::string notSerial = "  not a serial device\n";
  EXPECT_EQ(ports.out, "COM1  " + dir + "/COM1  nothing answered\nCOM2  " + dir +
                           "/COM2  writer MRVKVer=0211, MRVKDate=261206, MRVKCID=1234\nCOM3  " + dir + "/COM3" +
                           notSerial + "COM4  " + dir + "/COM4" + notSerial + "COM5  " + dir + "/COM5" + notSerial +
                           "COM6  " + dir + "/COM6  no such port\n");
  for (const auto& [port, reason] : {std::pair{"COM1", "nothing answered"}, {"COM3", "not a serial device"},
                                     {"COM4", "not a serial device"}, {"COM5", "not a serial device"},
                                     {"COM6", "no such port"}}) {
    const auto connect = RunCommand({kCard, "connect", "--port", port});
    EXPECT_EQ(connect.status, 3);
    EXPECT_TRUE(connect.err.starts_with("morvik-card: " + std::string(port) + ": " + reason + "\n")) << connect.err;
    const auto batch = RunCommand({kCard, "batch", "--url", "a", "--ports", port});
    EXPECT_EQ(batch.status, 3);
    EXPECT_TRUE(batch.err.ends_with(std::string(port) + ": " + reason + "\nmorvik-card: no writer answers on " + port + "\n"))
        << batch.err;
  }
  // The user's language comes from the locale variables alone; the status stays.
  const auto japanese = RunCommand({"/usr/bin/env", "LC_ALL=", "LC_MESSAGES=", "LANG=ja_JP.UTF-8", kCard, "connect", "--port", "COM6"});
  EXPECT_EQ(japanese.status, 3);
  EXPECT_TRUE(japanese.err.starts_with("morvik-card: COM6: そのポートはありません\n")) << japanese.err;

  // A question with no terminal to answer it is refused, not asked.
  const auto asked = RunCommand({kCard, "image", "--url", "a[CT]"});
  EXPECT_EQ(asked.status, 2);
  EXPECT_EQ(asked.err.find("[o/c]"), std::string::npos) << asked.err;

  const auto image = RunCommand({kCard, "image", "--url", "http://example.com/ようこそ", "--popup",
                                 "ポップ", "--cid", "1234", "--out", dir + "/typed.bin"});
  ASSERT_EQ(image.status, 0) << image.err;
  const auto write = RunCommand({kCard, "write", "--image", dir + "/typed.bin", "--trace"});
  EXPECT_EQ(write.status, 0) << write.err << "the writer's trace:\n" << simulator.errors();
  // The start-up frames on COM2, after the silent COM1's two unanswered tries.
  EXPECT_NE(write.err.find(" COM1 < (time-out"), std::string::npos) << write.err;
  EXPECT_NE(write.err.find(" COM2 > 02 00 4F 02 F0 00 03 46 0D\n"), std::string::npos);
  EXPECT_NE(write.err.find(" COM2 < 02 00 30 08 F0 02 11 26 12 06 12 34 03 C4 0D\n"),
            std::string::npos);
  EXPECT_NE(write.err.find(" COM2 > 02 00 7F 01 01 03 86 0D\n"), std::string::npos);

  const auto dump =
      RunCommand({kCard, "dump", "--port", "COM2", "--format", "raw", "--out", dir + "/dump.bin"});
  EXPECT_EQ(dump.status, 0) << dump.err;
  EXPECT_EQ(FileBytes(dir + "/dump.bin"), FileBytes(dir + "/typed.bin"));
  const auto decode = RunCommand({kCard, "decode", dir + "/dump.bin"});
  EXPECT_EQ(decode.status, 0) << decode.err;
  EXPECT_NE(decode.out.find("URL:           http://example.com/ようこそ\npopup:         ポップ\n"),
            std::string::npos)
      << decode.out;
}

// A writer whose every reply arrives with a wrong checksum is a writer
// answering badly, not silence; a port a terminal program keeps open without
// a lock is in use, and that program is named.
TEST(EndToEnd, DamagedRepliesAndAPortHeldByAnotherProgram) {
  Simulator noisy({"--com", "1", "--bad-sum", "all"});
  Simulator held({"--port-dir", noisy.portDir(), "--com", "2"});
  ASSERT_TRUE(noisy.ready() && held.ready());
  setenv("MORVIK_PORT_DIR", noisy.portDir().c_str(), 1);
  const std::string tryAgain = "morvik-card: Morvik ICCard Writerにつながりませんでした。上のポートの問題を解消してからもう一度実行してください\n";
  const auto damaged = RunCommand({kCard, "connect", "--port", "COM1"});
  EXPECT_EQ(damaged.status, 1);
  EXPECT_EQ(damaged.err, "morvik-card: COM1: replies arrive damaged: check the cable and what runs beside it\n" + tryAgain);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, (noisy.portDir() + "/COM2").c_str(), O_RDWR | O_NOCTTY, 0);
  char sleepName[] = "sleep", seconds[] = "30";
  char* argv[] = {sleepName, seconds, nullptr};
  pid_t holder = 0;
  ASSERT_EQ(posix_spawnp(&holder, "sleep", &actions, nullptr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  const auto inUse = RunCommand({kCard, "connect", "--port", "COM2"});
  kill(holder, SIGTERM);
  waitpid(holder, nullptr, 0);
  EXPECT_EQ(inUse.status, 3);
  EXPECT_EQ(inUse.err, "morvik-card: COM2: in use by another program: sleep (pid " + std::to_string(holder) + ")\n" + tryAgain);
}

// Two writers: an operator puts three cards on the first in turn; the second
// is unplugged in the middle of its card and plugged in again, and its card
// is reported where it stopped and written again once the writer is back.
TEST(BatchCommand, TwoWritersOneUnpluggedAndPluggedInAgain) {
  Simulator first({"--com", "3", "--operator", "3:300:500", "--card-file", "card3"});
  Simulator second({"--port-dir", first.portDir(), "--com", "5", "--idm", "1111111111111111",
                    "--unplug-after", "20:1500", "--card-file", "card5"});
  ASSERT_TRUE(first.ready() && second.ready());
  setenv("MORVIK_PORT_DIR", first.portDir().c_str(), 1);
  const std::string log = first.portDir() + "/log";
  const auto batch = RunCommand({kCard, "batch", "--count", "5", "--ports", "COM3,COM5", "--json",
                                 "--url", "abc", "--log", log, "--fast"});
  EXPECT_EQ(batch.status, 1) << batch.err << "the writers' traces:\n" << first.errors() << second.errors();
  // The journal: each card's started record before its result, the results as on stdout.
  std::ifstream logged(log);
  std::string results;
  int started = 0;
  for (std::string line; std::getline(logged, line);) {
    const bool start = line.starts_with(R"({"record":"started",)");
    started += start ? 1 : 0;
    EXPECT_TRUE(start || started > 0) << line;
    if (!start) results += line + "\n";
  }
  EXPECT_EQ(started, 5);
  // stdout: the card records as in the journal, then the tallies.
  const std::size_t tallies = batch.out.rfind("{\"record\":\"tallies\",");
  ASSERT_NE(tallies, std::string::npos) << batch.out;
  EXPECT_EQ(results, batch.out.substr(0, tallies));
  EXPECT_TRUE(batch.out.substr(tallies).starts_with(
      R"({"record":"tallies","cards":5,"ok":4,"write_failed":0,"verify_failed":0,"removed":0,"interrupted":0,"writer_lost":1,)"))
      << batch.out.substr(tallies);
  EXPECT_NE(batch.out.find(R"("port":"COM5","cards":2,"ok":1,)", tallies), std::string::npos);
  for (const std::string idm : {"0123456789ABCDEF", "0123456789ABCDF1", "1111111111111111"}) {
    EXPECT_NE(batch.out.find("\"idm\":\"" + idm + "\",\"result\":\"ok\""), std::string::npos) << idm;
  }
  EXPECT_NE(batch.out.find("\"idm\":\"1111111111111111\",\"result\":\"writer-lost\",\"block\":20,"),
            std::string::npos);
  EXPECT_NE(batch.err.find("morvik-card: COM5: writer lost, looking for it\nmorvik-card: COM5: writer back\n"),
            std::string::npos);
  EXPECT_NE(batch.err.find("\nall: 5 cards, 4 ok, 1 writer lost\n"), std::string::npos) << batch.err;
  first.Stop();
  second.Stop();
  for (const char* file : {"card3.1", "card3.2", "card3.3", "card5"}) {
    EXPECT_EQ(FileBytes(file), AbcBytes()) << file;
    std::filesystem::remove(file);
  }
}

// A run from a list on two simulated writers with an operator at each: six
// rows of the three card kinds, each card holding exactly what `image` makes
// of its row's options.
TEST(BatchCommand, RowsOfEveryCardKindEachOnACardOfItsOwn) {
  Simulator first({"--com", "3", "--operator", "3:300:500", "--card-file", "rows3"});
  Simulator second({"--port-dir", first.portDir(), "--com", "5", "--idm", "1111111111111111",
                    "--operator", "3:300:500", "--card-file", "rows5"});
  ASSERT_TRUE(first.ready() && second.ready());
  setenv("MORVIK_PORT_DIR", first.portDir().c_str(), 1);
  const std::string rows = first.portDir() + "/rows.csv";
  std::ofstream(rows) << "id,url,init,service-cid,uid-card\n"
                         "c1,http://example.com/1,,,\nc2,http://example.com/2,1,,\n"
                         "i1,http://example.com/3,,1A2B,\ni2,http://example.com/4,,BEEF,\n"
                         "u1,,,,0010\nu2,,,,0020\n";
  const std::vector<std::vector<std::string>> imageOptions = {
      {"--url", "http://example.com/1", "--cid", "1234"}, {"--url", "http://example.com/2", "--init", "--cid", "1234"},
      {"--url", "http://example.com/3", "--service-cid", "1A2B"}, {"--url", "http://example.com/4", "--service-cid", "BEEF"},
      {"--uid-card", "0010"}, {"--uid-card", "0020"}};
  const auto batch =
      RunCommand({kCard, "batch", "--rows", rows, "--ports", "COM3,COM5", "--json", "--fast", "--trace"});
  EXPECT_EQ(batch.status, 0) << batch.err << "the writers' traces:\n" << first.errors() << second.errors();
  EXPECT_NE(batch.err.find("rows: 6 done, 0 left"), std::string::npos) << batch.err;
  EXPECT_NE(batch.out.find(",\"rows_done\":6,\"rows_left\":0}\n"), std::string::npos) << batch.out;
  first.Stop();
  second.Stop();
  // Operator card n carries the first IDm with n - 1 added to its last byte.
  const std::pair<std::string, std::string> cards[] = {
      {"rows3.1", "0123456789ABCDEF"}, {"rows3.2", "0123456789ABCDF0"}, {"rows3.3", "0123456789ABCDF1"},
      {"rows5.1", "1111111111111111"}, {"rows5.2", "1111111111111112"}, {"rows5.3", "1111111111111113"}};
  for (const auto& [file, idm] : cards) {
    const std::size_t at = batch.out.find("\"idm\":\"" + idm + "\",\"result\":\"ok\"");
    ASSERT_NE(at, std::string::npos) << idm << "\n" << batch.out;
    const int row = std::stoi(batch.out.substr(batch.out.find("\"row\":", at) + 6));
    std::vector<std::string> image = {kCard, "image", "--format", "raw", "--out", file + ".expected"};
    image.insert(image.end(), imageOptions[row - 2].begin(), imageOptions[row - 2].end());
    ASSERT_EQ(RunCommand(image).status, 0);
    EXPECT_EQ(FileBytes(file), FileBytes(file + ".expected")) << file << " row " << row;
    std::filesystem::remove(file);
    std::filesystem::remove(file + ".expected");
  }
}


std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// kill -9 in the middle of a card, then an immediate resume over the same
// journal, which holds the runs of another list too and a line cut short:
// before the resume the journal names the card; after it every row is ok
// once and each card holds its own row's image, the half-written one too.
TEST(Journal, KilledMidCardThenResumedAtOnce) {
  Simulator simulator({"--com", "3", "--operator", "4:3000:300", "--card-file", "killed"});
  ASSERT_TRUE(simulator.ready());
  const std::string dir = simulator.portDir();
  const std::string list = dir + "/list.csv", journal = dir + "/journal.jsonl";
  std::ofstream(list) << "id,url\nA,http://example.com/a\nB,http://example.com/b\nC,http://example.com/c\n";
  std::ofstream(journal)
      << R"({"record":"started","time":"2026-12-06T09:00:00Z","port":"COM7","idm":"7777777777777777","row":2,"file":"0000000000000000","image":"I"})" "\n"
      << R"({"record":"card","time":"2026-12-06T09:00:15Z","port":"COM7","idm":"7777777777777777","result":"ok","resends":0,"seconds":15.0,"row":2,"file":"0000000000000000","image":"I"})" "\n"
      << R"({"record":"started","time":"2026-12-06T09:00:30Z","port":"CO)";

  std::filesystem::remove("killed.1");
  const int devNull = open("/dev/null", O_WRONLY);
  const pid_t run = test::Spawn({kCard, "batch", "--rows", list, "--ports", "COM3", "--log", journal}, devNull, devNull);
  close(devNull);
  for (int i = 0; i < 300 && !std::filesystem::exists("killed.1"); ++i) usleep(20'000);  // the first block is on
  kill(run, SIGKILL);
  waitpid(run, nullptr, 0);
  const std::vector<std::string> killedJournal = LinesOf(FileBytes(journal));
  ASSERT_EQ(killedJournal.size(), 4u);
  EXPECT_TRUE(killedJournal[3].starts_with(R"({"record":"started",)")) << killedJournal[3];
  EXPECT_NE(killedJournal[3].find(R"("idm":"0123456789ABCDEF","row":2,"id":"A")"), std::string::npos);

  const auto resumed = RunCommand(
      {kCard, "batch", "--rows", list, "--ports", "COM3", "--log", journal, "--resume", journal, "--fast", "--json"});
  EXPECT_EQ(resumed.status, 0) << resumed.err << "the writer's trace:\n" << simulator.errors();
  for (const char* said : {"1 line cut short (a run ended while writing it) skipped\n", "2 records of other lists skipped\n",
                           "3 rows (UTF-8), 0 done before\n",
                           "card 0123456789ABCDEF may hold part of row 2 (A), started on COM3 at ",
                           "rows: 3 done, 0 left\n"}) {
    EXPECT_NE(resumed.err.find(said), std::string::npos) << said << resumed.err;
  }
  EXPECT_NE(resumed.out.find(R"("idm":"0123456789ABCDEF","result":"ok")"), std::string::npos) << resumed.out;
  EXPECT_NE(resumed.out.find(R"("found_in_doubt":true)"), std::string::npos) << resumed.out;
  simulator.Stop();
  const char* urls[] = {"http://example.com/a", "http://example.com/b", "http://example.com/c"};
  for (int card = 1; card <= 3; ++card) {
    const std::string file = "killed." + std::to_string(card);
    ASSERT_EQ(RunCommand({kCard, "image", "--url", urls[card - 1], "--cid", "1234", "--out", file + ".expected"}).status, 0);
    EXPECT_EQ(FileBytes(file), FileBytes(file + ".expected")) << file;
    std::filesystem::remove(file);
    std::filesystem::remove(file + ".expected");
  }
}

// Two batch processes started together on one list and one journal, each on
// a writer of its own: every row ok once in the journal, no card ok twice,
// and each run says what the other did.
TEST(Journal, TwoRunsShareOneListAndJournal) {
  Simulator first({"--com", "3", "--operator", "3:300:300"});
  Simulator second({"--port-dir", first.portDir(), "--com", "5", "--idm", "1111111111111111", "--operator", "3:300:300"});
  ASSERT_TRUE(first.ready() && second.ready());
  setenv("MORVIK_PORT_DIR", first.portDir().c_str(), 1);
  const std::string list = first.portDir() + "/shared.csv", journal = first.portDir() + "/shared.jsonl";
  std::ofstream(list) << "id,url\nA,http://example.com/a\nB,http://example.com/b\nC,http://example.com/c\n"
                         "D,http://example.com/d\n";
  std::vector<pid_t> runs;
  std::vector<std::string> errs;
  for (const char* port : {"COM3", "COM5"}) {
    errs.push_back(first.portDir() + "/err" + port);
    const int err = open(errs.back().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int devNull = open("/dev/null", O_WRONLY);
    runs.push_back(test::Spawn({kCard, "batch", "--rows", list, "--ports", port, "--fast", "--log", journal, "--resume",
                                journal}, devNull, err));
    close(err);
    close(devNull);
  }
  for (const pid_t run : runs) {
    int status = 0;
    waitpid(run, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << FileBytes(errs[0]) << FileBytes(errs[1]);
  }
  std::map<std::string, int> okRows, okCards;
  for (const std::string& line : LinesOf(FileBytes(journal))) {
    if (line.find(R"("result":"ok")") == std::string::npos) continue;
    ++okRows[line.substr(line.find(R"("id":")"), 8)];
    ++okCards[line.substr(line.find(R"("idm":")"), 24)];
  }
  EXPECT_EQ(okRows.size(), 4u) << FileBytes(journal);
  for (const auto& [row, count] : okRows) EXPECT_EQ(count, 1) << row;
  for (const auto& [card, count] : okCards) EXPECT_EQ(count, 1) << card;
  for (const std::string& err : errs) EXPECT_NE(FileBytes(err).find("rows: 4 done, 0 left\n"), std::string::npos) << FileBytes(err);
}

// `batch ... | head -n 1`: the closed pipe is an output failure (status 6),
// and the journal keeps the record of every card written.
TEST(Journal, ClosedStandardOutputLosesNoRecord) {
  Simulator simulator({"--com", "3", "--operator", "3:300:300"});
  ASSERT_TRUE(simulator.ready());
  const std::string journal = simulator.portDir() + "/journal.jsonl";
  int pipeFds[2];
  ASSERT_EQ(pipe2(pipeFds, O_CLOEXEC), 0);  // the read end is ours alone
  const std::string errPath = simulator.portDir() + "/err";
  const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const pid_t run = test::Spawn({kCard, "batch", "--url", "abc", "--count", "3", "--ports", "COM3", "--fast",
                                 "--log", journal}, pipeFds[1], err);
  close(pipeFds[1]);
  close(err);
  std::string first;
  for (char c = 0; c != '\n' && read(pipeFds[0], &c, 1) == 1;) first += c;
  close(pipeFds[0]);  // as head -n 1 does
  int status = 0;
  waitpid(run, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 6);
  EXPECT_NE(first.find("0123456789ABCDEF ok"), std::string::npos) << first;
  const std::string said = FileBytes(errPath);
  EXPECT_NE(said.find("morvik-card: standard output: Broken pipe; no new cards are taken\n"), std::string::npos) << said;
  int started = 0, ok = 0;
  for (const std::string& line : LinesOf(FileBytes(journal))) {
    started += line.starts_with(R"({"record":"started",)") ? 1 : 0;
    ok += line.find(R"("result":"ok")") != std::string::npos ? 1 : 0;
  }
  EXPECT_EQ(started, 2) << said;
  EXPECT_EQ(ok, 2);
}

}  // namespace
}  // namespace morvik
