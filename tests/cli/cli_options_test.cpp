#include "app/cli/cli_options.h"

#include <gtest/gtest.h>

namespace morvik {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, ContentOptionsLandInTheirFields) {
  const ParseResult r = ParseCommandLine(
      {"image", "--url", "u", "--popup", "p", "--mail", "--to", "t", "--cc", "c", "--title", "ti",
       "--body", "b", "--volume", "0", "--led", "1", "--sound", "3", "--mode", "2", "--release",
       "1", "--autooff", "3", "--init", "--cid", "12ab", "--service-cid", "1A2B", "--read-mark",
       "--yes", "--raw"});
  ASSERT_TRUE(r.options) << r.error;
  const ContentOptions& c = r.options->content;
  EXPECT_EQ(c.url + c.popup + c.to + c.cc + c.title + c.body, "uptctib");
  EXPECT_TRUE(c.mail && c.initCard && c.readMark);
  EXPECT_EQ((std::array{c.volume, c.led, c.sound, c.mode, c.release, c.autoOff}),
            (std::array{0, 1, 3, 2, 1, 3}));
  EXPECT_EQ(r.options->customerId, (std::array<std::uint8_t, 2>{0x12, 0xAB}));
  EXPECT_EQ(c.serviceCid, "1A2B");
  EXPECT_EQ(r.options->confirm, true);
  EXPECT_TRUE(r.options->raw);
}

TEST(CommandLine, DefaultsMatchTheWindowsInitialChoices) {
  const ParseResult r = ParseCommandLine({"write"});
  ASSERT_TRUE(r.options);
  const ContentOptions& c = r.options->content;
  EXPECT_EQ((std::array{c.volume, c.led, c.sound, c.mode, c.release, c.autoOff}),
            (std::array{3, 3, 0, 0, 0, 0}));
  EXPECT_FALSE(r.options->confirm);
  EXPECT_FALSE(r.options->fast);
  for (const char* command : {"connect", "uid", "write", "clear", "dump"}) {
    EXPECT_TRUE(ParseCommandLine({command, "--fast"}).options->fast) << command;
  }
}

TEST(CommandLine, BadCommandLinesAreRefusedWithAReason) {
  const Args bad[] = {
      {},
      {"frobnicate"},
      {"image", "--volume", "4"},
      {"image", "--volume", "-1"},
      {"image", "--led", "255"},
      {"image", "--led", "x"},
      {"image", "--cid", "12345"},
      {"image", "--cid", "12G"},
      {"image", "--url"},
      {"write", "--cid", "1234"},      // the customer ID is the writer's
      {"image", "--wait"},
      {"image", "--fast"},             // no writer to talk to
      {"connect", "--url", "x"},
      {"dump", "--raw"},
      {"write", "--uid-card", "1", "--read-mark"},
      {"write", "--uid-card", "1", "--service-cid", "2"},
  };
  for (const Args& args : bad) {
    const ParseResult r = ParseCommandLine(args);
    EXPECT_FALSE(r.options) << (args.empty() ? "" : args[0]);
    EXPECT_FALSE(r.error.empty());
  }
}

}  // namespace
}  // namespace morvik
