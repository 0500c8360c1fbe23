// Files by any Unicode name. What the tool writes lies on the disk under the
// name it was given and is read back by it; a refusal names the file as given.
// The Windows build runs this where the ANSI code page is 932: a name handed
// to a narrow file call would be refused there, or land under a garbled name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "files/file_access.h"

namespace morvik {
namespace {

std::string Utf8(const std::filesystem::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

// A folder of its own per test, itself with a Japanese name.
class Folder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(test.begin(), test.end(), '/', '-');
    folder_ = std::filesystem::temp_directory_path() / PathFromUtf8("morvik-フォルダ-" + test);
    std::filesystem::remove_all(folder_, error_);
    ASSERT_TRUE(std::filesystem::create_directory(folder_, error_)) << error_.message();
  }
  void TearDown() override { std::filesystem::remove_all(folder_, error_); }
  std::string Name(const std::string& leaf) const { return Utf8(folder_) + "/" + leaf; }

  std::filesystem::path folder_;
  std::error_code error_;
  std::istringstream noInput_;
};

class Names : public Folder, public ::testing::WithParamInterface<const char*> {};

TEST_P(Names, WrittenAppendedAndReadBackUnderTheNameGiven) {
  const std::string name = Name(GetParam());
  std::string error;
  ASSERT_TRUE(WriteWholeFile(name, "card\n", error)) << error;
  int reason = 0;
  FileHandle log = OpenFile(name, OpenFor::kAppending, reason);
  ASSERT_TRUE(log) << SystemReason(reason);
  EXPECT_GE(std::fputs("row\n", log.get()), 0);
  EXPECT_TRUE(SyncToDisk(log.get(), reason)) << SystemReason(reason);
  EXPECT_TRUE(CloseFile(std::move(log), reason)) << SystemReason(reason);

  std::vector<std::string> listed;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, error_))
    listed.push_back(Utf8(entry.path().filename()));
  EXPECT_EQ(listed, std::vector<std::string>{GetParam()});
  EXPECT_EQ(NotARegularFile(name), "");
  EXPECT_TRUE(SameFile(name, Utf8(folder_ / PathFromUtf8(GetParam()))));
  EXPECT_EQ(ReadBoundedFile(name, noInput_, 64, error), "card\nrow\n") << error;
}

// Japanese as a Japanese office names its files; Korean and an emoji (a
// UTF-16 surrogate pair), which code page 932 cannot hold at all.
INSTANTIATE_TEST_SUITE_P(Files, Names,
                         ::testing::Values("カード.bin", "顧客リスト.csv", "記録 2026.jsonl", "카드.bin",
                                           "📇.bin"));

TEST_F(Folder, RefusalsNameTheFileAsGiven) {
  const std::string missing = Name("無い.bin");
  const std::string folder = Utf8(folder_);
  std::string error;
  EXPECT_EQ(ReadBoundedFile(missing, noInput_, 64, error), std::nullopt);
  EXPECT_EQ(error, missing + ": No such file or directory");
  int reason = 0;
  EXPECT_FALSE(OpenFile(missing, OpenFor::kReading, reason));
  EXPECT_EQ(SystemReason(reason), "No such file or directory");
  for (const bool write : {false, true}) {
    error.clear();
    EXPECT_FALSE(write ? WriteWholeFile(folder, "x", error)
                       : ReadBoundedFile(folder, noInput_, 64, error).has_value());
    EXPECT_EQ(error, folder + ": Is a directory");
  }
}

}  // namespace
}  // namespace morvik
