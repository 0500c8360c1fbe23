// Files by any Unicode name: written, appended, read back and found on the disk
// under the name given; refusals name it as given. The Windows build runs this
// in code page 932, where a narrow file call would refuse or garble these names.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <locale.h>
#endif

#include <cerrno>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "files/file_access.h"
#include "files/file_lock.h"

namespace morvik {
namespace {

#ifdef _WIN32
constexpr const char* kJapaneseNoSuchFile = "ファイルが見つかりません。";  // after "指定された" on Windows, not on Wine
#else
constexpr const char* kJapaneseNoSuchFile = "そのようなファイルやディレクトリはありません";
#endif

std::string Utf8(const std::filesystem::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

// A folder of its own per name, itself named in that script.
class Names : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / PathFromUtf8(std::string("morvik-") + GetParam());
    std::filesystem::remove_all(folder_, error_);
    ASSERT_TRUE(std::filesystem::create_directory(folder_, error_)) << error_.message();
  }
  void TearDown() override { std::filesystem::remove_all(folder_, error_); }

  std::filesystem::path folder_;
  std::error_code error_;
  std::istringstream noInput_;
};

TEST_P(Names, WrittenAppendedAndReadBackUnderTheNameGivenAndNamedInRefusals) {
  const std::string name = Utf8(folder_) + "/" + GetParam();
  std::string refusal, error;
  EXPECT_EQ(ReadBoundedFile(name, noInput_, 64, refusal), std::nullopt);
  EXPECT_EQ(refusal, name + ": No such file or directory");
  ASSERT_TRUE(WriteWholeFile(name, "card\n", error)) << error;
  int reason = 0;
  FileHandle log = OpenFile(name, OpenFor::kAppending, reason);
  ASSERT_TRUE(log) << SystemReason(reason);
  EXPECT_GE(std::fputs("row\n", log.get()), 0);
  EXPECT_TRUE(SyncToDisk(log.get(), reason) && CloseFile(std::move(log), reason)) << SystemReason(reason);

  std::vector<std::string> listed;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, error_))
    listed.push_back(Utf8(entry.path().filename()));
  EXPECT_EQ(listed, std::vector<std::string>{GetParam()});
  EXPECT_TRUE(SameFile(name, Utf8(folder_ / PathFromUtf8(GetParam()))));
  EXPECT_EQ(ReadBoundedFile(name, noInput_, 64, error), "card\nrow\n") << error;
  EXPECT_FALSE(WriteWholeFile(Utf8(folder_), "x", error));
  EXPECT_EQ(error, Utf8(folder_) + ": Is a directory");
}

// Japanese as a Japanese office names its files; Korean and an emoji (a
// UTF-16 surrogate pair), which code page 932 cannot hold at all.
INSTANTIATE_TEST_SUITE_P(Files, Names,
                         ::testing::Values("カード.bin", "顧客リスト.csv", "記録 1.jsonl", "카드.bin",
                                           "📇.bin"));

// The system's words for a failure in each language: Japanese needs the
// system's Japanese texts (a generated ja_JP.UTF-8 locale on POSIX).
struct ReasonCase {
  Language language;
  const char* words;
};
class SystemReasons : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(SystemReasons, SayTheSystemsWordsInTheLanguageOrEnglish) {
#ifndef _WIN32
  const locale_t japanese = newlocale(LC_ALL_MASK, "ja_JP.UTF-8", static_cast<locale_t>(nullptr));
  if (japanese == static_cast<locale_t>(nullptr) && GetParam().language == Language::kJapanese) {
    GTEST_SKIP() << "no ja_JP.UTF-8 locale";
  }
  if (japanese != static_cast<locale_t>(nullptr)) freelocale(japanese);
#endif
  SpeakSystemReasonsIn(GetParam().language);
  const std::string reason = SystemReason(ENOENT);
  SpeakSystemReasonsIn(Language::kEnglish);
  EXPECT_TRUE(reason.ends_with(GetParam().words)) << reason;
}

INSTANTIATE_TEST_SUITE_P(Files, SystemReasons,
                         ::testing::Values(ReasonCase{Language::kEnglish, "No such file or directory"},
                                           ReasonCase{Language::kJapanese, kJapaneseNoSuchFile}));

}  // namespace
}  // namespace morvik

namespace morvik {
namespace {

// Two handles of one file exclude each other, in one process as in two; a
// lock goes only with its own handle, never with another handle's close.
TEST(FileLock, HandlesOfOneFileExcludeEachOtherAndALockGoesOnlyWithItsHandle) {
  const std::string name = (std::filesystem::temp_directory_path() / "morvik-file-lock.jsonl").string();
  int error = 0;
  FileHandle first = OpenFile(name, OpenFor::kAppending, error);
  FileHandle second = OpenFile(name, OpenFor::kAppending, error);
  FileHandle reader = OpenFile(name, OpenFor::kReading, error);
  ASSERT_TRUE(first && second && reader) << error;
  constexpr std::uint64_t kFar = std::uint64_t{1} << 40;
  EXPECT_EQ(LockByte(first.get(), kFar, false, error), RangeLock::kTaken) << error;
  EXPECT_EQ(LockByte(second.get(), kFar, false, error), RangeLock::kHeldElsewhere);
  EXPECT_EQ(LockByte(second.get(), kFar + 1, false, error), RangeLock::kTaken);  // a byte of its own
  reader.reset();
  EXPECT_EQ(LockByte(second.get(), kFar, false, error), RangeLock::kHeldElsewhere);
  EXPECT_TRUE(UnlockByte(first.get(), kFar, error)) << error;
  EXPECT_EQ(LockByte(second.get(), kFar, true, error), RangeLock::kTaken);
  second.reset();  // closed: its locks go with it
  EXPECT_EQ(LockByte(first.get(), kFar + 1, false, error), RangeLock::kTaken);
  first.reset();
  std::filesystem::remove(PathFromUtf8(name));
}

}  // namespace
}  // namespace morvik
