// The programs as an operator or a script runs them: morvik-card against
// morvik-writer-sim on real pseudo-terminals, with the real 200 ms time-outs.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/support/abc_card.h"
#include "tests/support/process.h"

namespace morvik {
namespace {

using test::RunCommand;
using test::Simulator;

const std::string kCard = MORVIK_CARD;

// The content card for URL "abc" and customer ID 12 34, as the listing shows it.
std::string AbcListing() {
  std::string listing =
      "4D760002123400000112340200000000  Mv...4....4.....\n"
      "000B0102050003006162630000000000  ........abc.....\n";
  for (int line = 2; line < 15; ++line) listing += std::string(32, '0') + "  ................\n";
  return listing + "00000000000000008500123400003C00  ...........4..<.\n";
}

std::string AbcBytes() { return test::AsString(test::AbcContentCard(0x12, 0x34, 0x85)); }

TEST(ImageCommand, PreviewsTheContentCardOffline) {
  const auto listing = RunCommand({kCard, "image", "--url", "abc", "--cid", "1234"});
  EXPECT_EQ(listing.status, 0) << listing.err;
  EXPECT_EQ(listing.out, AbcListing());
  const auto raw = RunCommand({kCard, "image", "--url", "abc", "--cid", "1234", "--raw"});
  EXPECT_EQ(raw.status, 0);
  EXPECT_EQ(raw.out, AbcBytes());
}

TEST(ImageCommand, RefusalsAndQuestionsEndWithoutOutput) {
  const auto empty = RunCommand({kCard, "image"});
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(empty.out, "");
  EXPECT_NE(empty.err.find("空のURL情報やメールToアドレスは設定できません"), std::string::npos);

  // A lone [CT] asks a question: Cancel without a terminal, OK with --yes.
  const auto asked = RunCommand({kCard, "image", "--url", "a[CT]"});
  EXPECT_EQ(asked.status, 1);
  EXPECT_EQ(asked.out, "");
  const auto confirmed = RunCommand({kCard, "image", "--url", "a[CT]", "--yes", "--raw"});
  EXPECT_EQ(confirmed.status, 0);
  EXPECT_EQ(confirmed.out.substr(24, 5), "a[CT]");

  const auto usage = RunCommand({kCard, "image", "--volume", "9"});
  EXPECT_EQ(usage.status, 2);
}

TEST(WriterCommands, ConnectFindsTheWriterBehindASilentPort) {
  Simulator simulator({"--com", "3", "--silent-com", "1"});
  ASSERT_TRUE(simulator.ready());
  const auto connect = RunCommand({kCard, "connect"});
  EXPECT_EQ(connect.status, 0) << connect.err;
  EXPECT_EQ(connect.out, "COM3\nMRVKVer=0211, MRVKDate=261206, MRVKCID=1234\n");
}

TEST(WriterCommands, NoWriterEndsWithStatusOne) {
  Simulator simulator({"--com", "2"});
  simulator.Stop();  // the port folder stays, the writer is gone
  const auto connect = RunCommand({kCard, "connect"});
  EXPECT_EQ(connect.status, 1);
  EXPECT_EQ(connect.out, "");
  EXPECT_NE(connect.err.find("Morvik ICCard Writerが接続されていません"), std::string::npos);
}

TEST(WriterCommands, WriteThenDumpAndTheCardHoldsTheImage) {
  const std::string cardFile = std::filesystem::temp_directory_path() / "morvik-e2e-card.bin";
  std::filesystem::remove(cardFile);
  {
    Simulator simulator({"--com", "2", "--card-file", cardFile});
    ASSERT_TRUE(simulator.ready());
    const auto write = RunCommand({kCard, "write", "--url", "abc"});
    EXPECT_EQ(write.status, 0) << write.err;
    const auto dump = RunCommand({kCard, "dump"});
    EXPECT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(dump.out, AbcListing());
    const auto uid = RunCommand({kCard, "uid"});
    EXPECT_EQ(uid.out, "0123456789ABCDEF\n");
  }
  std::ifstream saved(cardFile, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(saved)), {});
  EXPECT_EQ(bytes, AbcBytes());
  std::filesystem::remove(cardFile);
}

TEST(WriterCommands, NoCardAndFailedWritesEndWithStatusOne) {
  {
    Simulator simulator({"--com", "1", "--no-card"});
    ASSERT_TRUE(simulator.ready());
    const auto write = RunCommand({kCard, "write", "--url", "abc"});
    EXPECT_EQ(write.status, 1);
    EXPECT_NE(write.err.find("ICカードを正しく読み取れません"), std::string::npos);
  }
  {
    Simulator simulator({"--com", "1", "--fail-write", "3"});
    ASSERT_TRUE(simulator.ready());
    const auto write = RunCommand({kCard, "write", "--url", "abc"});
    EXPECT_EQ(write.status, 1);
    EXPECT_NE(write.err.find("ブロック2"), std::string::npos) << write.err;
  }
}

TEST(WriterCommands, VerifyNamesTheFirstBlockTheCardStoredWrong) {
  Simulator simulator({"--com", "1", "--wrong-byte", "5"});
  ASSERT_TRUE(simulator.ready());
  const auto write = RunCommand({kCard, "write", "--url", "abc", "--verify", "--fast"});
  EXPECT_EQ(write.status, 5);
  EXPECT_NE(write.err.find("verify failed at block 5"), std::string::npos) << write.err;
  const auto verify = RunCommand({kCard, "verify", "--url", "abc", "--fast"});
  EXPECT_EQ(verify.status, 5);
  EXPECT_EQ(verify.out, "0123456789ABCDEF verify failed at block 5\n");
}

// Two writers, an operator at each putting three cards on in turn.
TEST(BatchCommand, TwoWritersWriteAndVerifySixCards) {
  Simulator first({"--com", "3", "--operator", "3:300:500", "--card-file", "card3"});
  Simulator second({"--port-dir", first.portDir(), "--com", "5", "--idm", "1111111111111111",
                    "--operator", "3:300:500", "--card-file", "card5"});
  ASSERT_TRUE(first.ready() && second.ready());
  setenv("MORVIK_PORT_DIR", first.portDir().c_str(), 1);
  const std::string log = first.portDir() + "/log";
  const auto batch = RunCommand({kCard, "batch", "--count", "6", "--ports", "COM3,COM5", "--json",
                                 "--url", "abc", "--log", log, "--fast"});
  EXPECT_EQ(batch.status, 0) << batch.err;
  std::ifstream logged(log);
  const std::string logText((std::istreambuf_iterator<char>(logged)), {});
  EXPECT_EQ(logText, batch.out);
  for (const std::string idm : {"0123456789ABCDEF", "0123456789ABCDF1", "1111111111111112"}) {
    EXPECT_NE(batch.out.find("\"idm\":\"" + idm + "\",\"result\":\"ok\""), std::string::npos) << idm;
  }
  std::size_t lines = 0;
  for (std::size_t at = 0; (at = batch.out.find("\"result\":\"ok\"", at)) != std::string::npos; ++at) ++lines;
  EXPECT_EQ(lines, 6u) << batch.out;
  EXPECT_NE(batch.err.find("all: 6 cards, 6 ok"), std::string::npos) << batch.err;
  first.Stop();
  second.Stop();
  for (const char* file : {"card3.1", "card3.2", "card3.3", "card5.1", "card5.2", "card5.3"}) {
    std::ifstream saved(std::string(file), std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(saved)), {}), AbcBytes()) << file;
    std::filesystem::remove(file);
  }
}

}  // namespace
}  // namespace morvik
