// The content image against bytes worked out by hand from the card layout.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "content/content_image.h"
#include "window/control_ids.h"
#include "window/headless_window.h"

namespace morvik {
namespace {

std::vector<std::uint8_t> Hex(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::uint8_t> bytes;
  for (unsigned value; in >> std::hex >> value;) bytes.push_back(static_cast<std::uint8_t>(value));
  return bytes;
}

// Expected image: the given leading bytes, zeros up to 247, then the trailer.
ContentImage Expected(const std::string& head, const std::string& trailer) {
  ContentImage image{};
  const std::vector<std::uint8_t> front = Hex(head);
  const std::vector<std::uint8_t> back = Hex(trailer);
  std::copy(front.begin(), front.end(), image.begin());
  std::copy(back.begin(), back.end(), image.begin() + 248);
  return image;
}

ContentSettings ExampleSettings(bool mail) {
  ContentSettings settings;
  ResetContentSettings(settings);
  settings.url = "abc";
  if (mail) {
    settings.mailEnabled = 1;
    settings.popup = "xy";
    settings.mailTo = "t";
    settings.mailTitle = "T";
    settings.mailBody = "B";
  }
  return settings;
}

constexpr ContentValues kValues{{0x12, 0x34}, 0, 0};
const std::string kNonMailHead =
    "4D 76 00 02 12 34 00 00 01 12 34 02 00 00 00 00 00 0B 01 02 05 00 03 00 61 62 63";

struct Build {
  bool ok;
  ContentImage image{};
  std::vector<ShownMessage> messages;
};

Build BuildFrom(ContentSettings settings, const ContentValues& values = kValues) {
  HeadlessWindow window;
  window.SetDefaultAnswer(kIdOk);
  Build build;
  build.ok = BuildContentImage(window, settings, values, build.image);
  build.messages = window.messages();
  return build;
}

TEST(ContentImage, WorkedExamplesComeOutByteForByte) {
  EXPECT_EQ(BuildFrom(ExampleSettings(false)).image,
            Expected(kNonMailHead, "85 00 12 34 00 00 3C 00"));
  EXPECT_EQ(BuildFrom(ExampleSettings(true)).image,
            Expected("4D 76 00 02 12 34 00 00 81 12 34 02 00 00 01 1B 00 0B 01 02 05 00 03 00 "
                     "61 62 63 00 15 01 03 0F 00 01 00 74 00 00 01 00 54 01 00 42 78 79 0D 0A",
                     "5E 00 12 34 00 00 3C 00"));
}

// The read card mark also shows that bytes 12 and 13 stay out of the check byte.
TEST(ContentImage, ReadCardMarkAndInitCardChangeHeaderCheckByteAndTrailer) {
  const Build marked = BuildFrom(ExampleSettings(false), {{0x12, 0x34}, 0, 1});
  EXPECT_EQ(marked.image, Expected("4D 76 00 02 12 34 00 00 FF FF FF FF FF FF FF FF "
                                   "00 0B 01 02 05 00 03 00 61 62 63",
                                   "36 00 12 34 00 00 3C 00"));
  ContentSettings init = ExampleSettings(false);
  init.initCard = 1;
  EXPECT_EQ(BuildFrom(init).image,
            Expected("4D 76 00 02 12 34 00 00 01 00 00 02 00 00 00 00 "
                     "00 0B 01 02 05 00 03 00 61 62 63",
                     "3F 00 12 34 00 00 3C 20"));
}

TEST(ContentImage, KeywordBlanksAreMarkedUnlessAtTheVeryStart) {
  ContentSettings url = ExampleSettings(false);
  url.url = "ab[IM][CT]";
  const Build marked = BuildFrom(url);
  EXPECT_EQ(marked.image[11], 0xC2);
  EXPECT_EQ(marked.image[16], 10);  // offset 2 + 8
  EXPECT_EQ(marked.image[17], 8 + 22);
  EXPECT_EQ(std::string(marked.image.begin() + 24, marked.image.begin() + 47),
            "ab" + std::string(20, ' ') + '\0');

  url.url = "[IM]x";
  const Build atStart = BuildFrom(url);
  EXPECT_EQ(atStart.image[11], 0x02);
  EXPECT_EQ(atStart.image[16], 0);
  EXPECT_EQ(atStart.image[22], 17);

  ContentSettings mail = ExampleSettings(true);
  mail.mailTitle = "T[IM]";  // mail section at 27; first blank at 27 + 14
  const Build inTitle = BuildFrom(mail);
  EXPECT_EQ(inTitle.image[11], 0x0A);
  EXPECT_EQ(inTitle.image[27], 14);
  EXPECT_EQ(inTitle.image[27 + 13], 'T');
  EXPECT_EQ(inTitle.image[27 + 14], ' ');

  mail.mailTitle = "T";
  mail.mailBody = "B[IM][CT]";  // behind To, title and their lengths: 27 + 17
  const Build inBody = BuildFrom(mail);
  EXPECT_EQ(inBody.image[11], 0x0E);
  EXPECT_EQ(inBody.image[27], 17);
  EXPECT_EQ(inBody.image[27 + 16], 'B');
  EXPECT_EQ(std::string(inBody.image.begin() + 27 + 17, inBody.image.begin() + 27 + 37),
            std::string(20, ' '));
}

TEST(ContentImage, PopupTerminatorKeepsTheTerminatedPopupWithin39Bytes) {
  const struct { std::size_t length; std::string ending; } cases[] = {
      {0, ""}, {1, "\r\n"}, {37, "\r\n"}, {38, "\r"}, {39, ""}, {40, ""}, {41, ""}};
  for (const auto& c : cases) {
    std::string popup(c.length, 'p');
    AppendPopupTerminator(popup);
    EXPECT_EQ(popup, std::string(c.length, 'p') + c.ending) << c.length;
  }
}

struct LimitCase {
  bool mail;
  std::size_t url, popup, to, title;
  const char* message;  // nullptr: the image is built
  std::vector<int> about = {};  // the controls the message names
  const char* urlEnd = "";
};

TEST(ContentImage, LimitsAreInclusiveAndCheckedInOrder) {
  const char* empty = "空のURL情報やメールToアドレスは設定できません";
  const char* popup = "ポップアップの長さは最大40文字（半角）までです";
  const char* url = "URLとポップアップを合わせた長さは最大184文字（半角）までです";
  const char* mail = "メール各パラメータとポップアップを合わせた長さは最大178文字（半角）までです";
  const char* total = "URLおよびメール各パラメータとポップアップを合わせた長さは最大210文字（半角）までです";
  const std::vector<int> mailTexts{kIdcMailTo, kIdcMailCc, kIdcMailTitle, kIdcMailBody, kIdcPopup};
  std::vector<int> allTexts = mailTexts;
  allTexts.insert(allTexts.begin(), kIdcUrl);
  const LimitCase cases[] = {
      {false, 0, 41, 0, 0, empty, {kIdcUrl}},      {true, 3, 0, 0, 0, empty, {kIdcMailTo}},
      {true, 0, 0, 1, 0, empty, {kIdcUrl}},        {false, 1, 40, 0, 0, nullptr},
      {false, 1, 41, 0, 0, popup, {kIdcPopup}},    {false, 184, 0, 0, 0, nullptr},
      {false, 181, 1, 0, 0, nullptr},              {false, 182, 1, 0, 0, url, {kIdcUrl, kIdcPopup}},
      {true, 184, 20, 1, 0, nullptr},              {true, 185, 0, 1, 0, url, {kIdcUrl}},
      {true, 1, 0, 100, 78, nullptr},              {true, 1, 0, 100, 79, mail, mailTexts},
      {true, 100, 0, 110, 0, nullptr},             {true, 100, 0, 111, 0, total, allTexts},
      {true, 32, 40, 138, 0, nullptr},  // sections end exactly at byte 247
      {false, 169, 0, 0, 0, url, {kIdcUrl, kIdcPopup}, "[IM]"},  // 173 bytes, 185 with the blanks
  };
  for (const LimitCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "mail " << c.mail << " url " << c.url << " popup "
                                    << c.popup << " to " << c.to << " title " << c.title);
    ContentSettings settings;
    ResetContentSettings(settings);
    settings.mailEnabled = c.mail;
    settings.url = std::string(c.url, 'u') + c.urlEnd;
    settings.popup.assign(c.popup, 'p');
    settings.mailTo.assign(c.to, 't');
    settings.mailTitle.assign(c.title, 'i');
    const Build build = BuildFrom(settings);
    EXPECT_EQ(build.ok, c.message == nullptr);
    ASSERT_EQ(build.messages.size(), c.message ? 1u : 0u);
    if (!c.message) continue;
    EXPECT_EQ(build.messages[0].text, c.message);
    EXPECT_EQ(build.messages[0].caption, "Error");
    EXPECT_EQ(build.messages[0].type, 0x10u);
    const MessageKind kind = c.message == empty ? MessageKind::kEntry : MessageKind::kLimit;
    EXPECT_EQ(build.messages[0].message.subject.kind, kind);
    EXPECT_EQ(build.messages[0].message.subject.controls, c.about);
  }
}

TEST(ContentImage, ComposeRefusesSectionsThatWouldReachTheTrailer) {
  ContentSettings settings;
  ResetContentSettings(settings);
  settings.url.assign(239, 'u');
  ContentImage image{};
  EXPECT_FALSE(ComposeContentImage(settings, kValues, image));
}

}  // namespace
}  // namespace morvik
