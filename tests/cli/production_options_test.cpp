#include <gtest/gtest.h>

#include "cli/production_commands.h"

namespace morvik {
namespace {

struct OptionsCase {
  std::vector<std::string> arguments;
  std::string error;  // empty: accepted
};

class ProductionOptionsTest : public testing::TestWithParam<OptionsCase> {};

TEST_P(ProductionOptionsTest, RefusesWhatTheCommandDoesNotTakeNamingIt) {
  const BatchParse parsed = ParseProductionOptions(GetParam().arguments);
  EXPECT_EQ(parsed.error, GetParam().error);
  EXPECT_EQ(parsed.options.has_value(), GetParam().error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Batch, ProductionOptionsTest,
    testing::Values(OptionsCase{{"batch", "--url", "a", "--count", "3", "--all", "--no-verify", "--fast"}, ""},
                    OptionsCase{{"batch", "--count", "0"}, "bad value for --count: 0"},
                    OptionsCase{{"batch", "--count", "2x"}, "bad value for --count: 2x"},
                    OptionsCase{{"batch", "--ports", "COM3,,COM5"}, "bad value for --ports: COM3,,COM5"},
                    OptionsCase{{"batch", "--ports", "COM3", "--all"}, "--all and --ports exclude each other"},
                    OptionsCase{{"batch", "--log"}, "--log needs a value"},
                    OptionsCase{{"batch", "--wait"}, "batch does not take --wait"},
                    OptionsCase{{"batch", "--raw"}, "batch does not take --raw"},
                    OptionsCase{{"verify", "--url", "a", "--wait"}, ""},
                    OptionsCase{{"verify", "--json"}, "verify does not take --json"}));

TEST(ProductionOptions, BatchKeepsItsOwnValuesAndTheContentOptions) {
  const BatchParse parsed =
      ParseProductionOptions({"batch", "--ports", "COM3,COM15", "--json", "--log", "l", "--url", "u", "--yes", "--fast"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  const BatchOptions& o = *parsed.options;
  EXPECT_EQ(o.ports, (std::vector<std::string>{"COM3", "COM15"}));
  EXPECT_TRUE(o.json && o.verify && !o.all && !o.count);
  EXPECT_EQ(o.log, "l");
  EXPECT_EQ(o.card.command, "batch");
  EXPECT_EQ(o.card.content.url, "u");
  EXPECT_TRUE(o.card.confirm == true && o.card.fast);
}

}  // namespace
}  // namespace morvik
