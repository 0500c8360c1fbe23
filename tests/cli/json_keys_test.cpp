// One name per thing: every key of every command's JSON output is ASCII
// snake_case and holds the same shape of value wherever it appears (a hash is
// never called the image, the image never a hash).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "tests/cli/cli_bench.h"
#include "tests/support/loopback_seat.h"

namespace morvik {
namespace {

using Json = nlohmann::json;

// The shape of a value: its type, and for the hexadecimal identities their length.
std::string ShapeOf(const std::string& key, const Json& value) {
  static const std::set<std::string> kHexKeys = {"idm", "image", "image_hash", "customer_id", "version", "date"};
  if (value.is_string() && kHexKeys.contains(key)) return "hex" + std::to_string(value.get<std::string>().size());
  return value.type_name();
}

void Collect(const Json& object, const std::string& where, std::map<std::string, std::map<std::string, std::string>>& shapes) {
  for (const auto& [key, value] : object.items()) {
    EXPECT_TRUE(std::ranges::all_of(key, [](char c) { return (c >= 'a' && c <= 'z') || c == '_'; })) << where << ": " << key;
    shapes[key].emplace(ShapeOf(key, value), where);
    if (value.is_object()) Collect(value, where, shapes);
    if (value.is_array()) {
      for (const Json& item : value) {
        if (item.is_object()) Collect(item, where, shapes);
      }
    }
  }
}

void CollectLines(const std::string& out, const std::string& where,
                  std::map<std::string, std::map<std::string, std::string>>& shapes) {
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    const Json value = Json::parse(line, nullptr, false);
    ASSERT_TRUE(value.is_object()) << where << ": " << line;
    Collect(value, where, shapes);
  }
}

TEST(JsonKeys, EachKeyHasOneShapeAcrossEveryCommand) {
  std::map<std::string, std::map<std::string, std::string>> shapes;  // key -> shape -> the command that gave it
  const std::vector<std::vector<std::string>> writerCommands = {
      {"connect"}, {"ports"}, {"uid"}, {"write", "--url", "abc", "--verify"}, {"clear", "--yes"},
      {"dump"}, {"verify", "--url", "abc"}, {"image", "--url", "abc", "--cid", "1234"}};
  std::string dumped;
  for (const auto& command : writerCommands) {
    std::vector<std::string> args = command;
    args.insert(args.end(), {"--format", "json"});
    const test::RunResult run = test::Bench(test::Setup::kWriter)(args);
    EXPECT_NE(run.out, "") << command[0] << run.err;
    CollectLines(run.out, command[0], shapes);
    if (command[0] == "image") dumped = run.out;
  }
  const test::RunResult failed = test::Bench(test::Setup::kTakenOff)({"write", "--url", "abc", "--format", "json"});
  CollectLines(failed.out, "write (taken off)", shapes);
  // decode reads what image and dump print as JSON.
  const test::RunResult decoded = test::Bench(test::Setup::kNoWriter)({"decode", "-", "--format", "json"}, dumped);
  EXPECT_EQ(decoded.status, 0) << decoded.err;
  EXPECT_EQ(decoded.out, dumped);
  CollectLines(decoded.out, "decode", shapes);

  const std::string log = test::OwnTempPath("keys.jsonl");
  std::remove(log.c_str());
  sim::WriterModel writer;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"batch", "--url", "abc", "--count", "1", "--ports", "COM3", "--json", "--log", log},
        {"history", log, "--format", "json"}}) {
    const test::RunResult run = test::RunSeated(args, test::WriterOnCom3(writer));
    EXPECT_EQ(run.status, 0) << run.err;
    CollectLines(run.out, args[0], shapes);
  }
  std::remove(log.c_str());

  for (const auto& [key, shapesOfKey] : shapes) {
    std::string seen;
    for (const auto& [shape, where] : shapesOfKey) seen += " " + shape + " (" + where + ")";
    EXPECT_EQ(shapesOfKey.size(), 1u) << key << ":" << seen;
  }
  for (const char* key : {"image", "image_hash", "idm", "result", "time", "started"}) ASSERT_TRUE(shapes.contains(key)) << key;
  EXPECT_EQ(shapes["image"].begin()->first, "hex512");
  EXPECT_EQ(shapes["image_hash"].begin()->first, "hex16");
  EXPECT_EQ(shapes["idm"].begin()->first, "hex16");
}

}  // namespace
}  // namespace morvik
