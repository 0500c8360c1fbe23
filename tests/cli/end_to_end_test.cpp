// morvik-card as an operator or a script runs it: against morvik-writer-sim on
// real pseudo-terminals, with the real 200 ms time-outs.
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

std::string AbcBytes() { return test::AsString(test::AbcContentCard(0x12, 0x34, 0x85)); }

std::string FileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), {});
}

TEST(EndToEnd, PortsTraceAndAnImageThroughTheCardAndBack) {
  test::Simulator simulator({"--com", "2", "--silent-com", "1"});
  ASSERT_TRUE(simulator.ready());
  const std::string dir = simulator.portDir();

  const auto ports = RunCommand({kCard, "ports"});
  EXPECT_EQ(ports.status, 0) << ports.err;
  EXPECT_EQ(ports.out, "COM1  " + dir + "/COM1  no answer\nCOM2  " + dir +
                           "/COM2  writer MRVKVer=0211, MRVKDate=261206, MRVKCID=1234\n");

  // A question with no terminal to answer it is refused, not asked.
  const auto asked = RunCommand({kCard, "image", "--url", "a[CT]"});
  EXPECT_EQ(asked.status, 2);
  EXPECT_EQ(asked.err.find("[o/c]"), std::string::npos) << asked.err;

  const auto image = RunCommand({kCard, "image", "--url", "http://example.com/ようこそ", "--popup",
                                 "ポップ", "--cid", "1234", "--out", dir + "/typed.bin"});
  ASSERT_EQ(image.status, 0) << image.err;
  const auto write = RunCommand({kCard, "write", "--image", dir + "/typed.bin", "--trace"});
  EXPECT_EQ(write.status, 0) << write.err;
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
