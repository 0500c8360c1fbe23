// Decoding is the inverse of composing: build an image, decode it, compare.
#include "content/card_decode.h"

#include <gtest/gtest.h>

#include <tuple>

#include "content/content_image.h"

namespace morvik {
namespace {

struct DecodeCase {
  const char* name;
  ContentSettings settings;
  ContentValues values;
  CardKind kind;
  std::optional<std::size_t> urlBlankAt, mailBlankAt;
};

ContentSettings Texts(std::string url, std::string popup, bool mail = false) {
  ContentSettings s;
  ResetContentSettings(s);
  s.url = std::move(url);
  s.popup = std::move(popup);
  s.mailEnabled = mail ? 1 : 0;
  if (mail) {
    s.mailTo = "to@x";
    s.mailCc = "cc";
    s.mailTitle = "title                ";
    s.mailBody = "\x82\xa0";  // あ
  }
  return s;
}

ContentSettings With(ContentSettings s, void (*change)(ContentSettings&)) {
  change(s);
  return s;
}

class CardDecode : public testing::TestWithParam<DecodeCase> {};

TEST_P(CardDecode, GivesBackWhatWasComposed) {
  const DecodeCase& c = GetParam();
  ContentImage image{};
  ASSERT_TRUE(ComposeContentImage(c.settings, c.values, image));
  const DecodedCard card = DecodeCard(image);
  const ContentSettings& s = c.settings;
  EXPECT_EQ(card.kind, c.kind);
  EXPECT_EQ(card.customerId, c.values.customerId);
  EXPECT_EQ(card.mail, s.mailEnabled != 0);
  EXPECT_EQ(card.url, s.url);
  EXPECT_EQ(card.popup, s.popup);
  EXPECT_EQ(
      card.mailTo + "|" + card.mailCc + "|" + card.mailTitle + "|" + card.mailBody,
      s.mailEnabled ? s.mailTo + "|" + s.mailCc + "|" + s.mailTitle + "|" + s.mailBody : "|||");
  EXPECT_EQ(card.urlBlank ? std::optional(card.urlBlank->imageOffset) : std::nullopt, c.urlBlankAt);
  EXPECT_EQ(card.mailBlank ? std::optional(card.mailBlank->imageOffset) : std::nullopt,
            c.mailBlankAt);
  if (card.urlBlank && c.kind != CardKind::kRead) {
    EXPECT_EQ(card.urlBlank->counter, s.urlHasCounter != 0);
  }
  EXPECT_EQ(
      (std::array{card.volume, card.soundType, card.ledPattern, card.powerMode, card.releaseTime,
                  card.autoOffTime}),
      (std::array{
          static_cast<std::uint8_t>(s.volume & 3), static_cast<std::uint8_t>(s.soundType & 3),
          static_cast<std::uint8_t>(s.ledPattern & 3), static_cast<std::uint8_t>(s.powerMode & 7),
          static_cast<std::uint8_t>(s.releaseTime & 3),
          static_cast<std::uint8_t>(s.autoOffTime & 3)}));
  EXPECT_TRUE(card.checkByteRight);
  EXPECT_TRUE(card.sectionsWhole);
  image[kCheckByte] ^= 1;
  EXPECT_FALSE(DecodeCard(image).checkByteRight);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Content, CardDecode, testing::ValuesIn(std::vector<DecodeCase>{
    {"Plain", Texts("abc", ""), {{0x12, 0x34}, 0, 0}, CardKind::kContent, {}, {}},
    {"PopupAndSettings", With(Texts("http://x/", "pop\r\n"), [](ContentSettings& s) {
       s.volume = 1; s.soundType = 3; s.ledPattern = 0;
       s.powerMode = 3; s.releaseTime = 2; s.autoOffTime = 1;
     }), {{0xAB, 0xCD}, 0, 0}, CardKind::kContent, {}, {}},
    {"UrlBlanksWithCounter", With(Texts("u?id=                    ", ""), [](ContentSettings& s) {
       s.urlHasIdm = 1; s.urlHasCounter = 1; s.urlIdmOffset = 5;
     }), {{0, 1}, 0, 0}, CardKind::kContent, 16 + 5 + 8, {}},
    {"MailWithTitleBlanks", With(Texts("abc", "xy\r\n", true), [](ContentSettings& s) {
       s.mailHasIdm = 1; s.mailIdmOffset = 4 + 2 + 4 + 5;
     }), {{0x12, 0x34}, 0, 0}, CardKind::kContent, {}, 24 + 3 + 4 + 2 + 4 + 5 + 8},
    {"Initialisation", With(Texts("abc", ""), [](ContentSettings& s) { s.initCard = 1; }),
     {{0x1A, 0x2B}, 0x1A2B, 0}, CardKind::kInitialisation, {}, {}},
    {"ReadCardWithMail", With(Texts("a b", "p\r\n", true), [](ContentSettings& s) {
       s.urlHasIdm = 1; s.urlIdmOffset = 1;
     }), {{0, 5}, 5, 1}, CardKind::kRead, 16 + 1 + 8, {}},
}), [](const auto& info) { return info.param.name; });
// clang-format on

TEST(CardDecode, ServiceBlankAndDamagedCards) {
  ContentImage image{};
  EXPECT_EQ(DecodeCard(image).kind, CardKind::kBlank);
  const std::uint8_t uid[] = {'M', 'v', 0xFF, 0x03, 0x1A, 0x2B};
  std::copy(std::begin(uid), std::end(uid), image.begin());
  const DecodedCard uidCard = DecodeCard(image);
  EXPECT_EQ(uidCard.kind, CardKind::kUidSetting);
  EXPECT_EQ(uidCard.startUid, (std::array<std::uint8_t, 2>{0x1A, 0x2B}));
  image[3] = 0x02;  // Mv FF 02 is no card this tool writes
  EXPECT_EQ(DecodeCard(image).kind, CardKind::kUnknown);
  image[0] = 'X';
  EXPECT_EQ(DecodeCard(image).kind, CardKind::kUnknown);
  // A read card has all of bytes 8 to 15 FF; seven of them are no read mark.
  const std::uint8_t content[] = {'M', 'v', 0x00, 0x02, 0, 0, 0, 0, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  std::copy(std::begin(content), std::end(content), image.begin());
  EXPECT_EQ(DecodeCard(image).kind, CardKind::kContent);
  // A length that points past the sections' room cuts its text there; what
  // follows it is empty, never read past the room.
  ContentImage composed{};
  ASSERT_TRUE(ComposeContentImage(Texts("abc", "", true), {}, composed));
  const std::tuple<std::size_t, std::size_t, std::size_t> cases[] = {
      {22, kCheckByte - 24, 0},  // the URL's length: no room left for mail
      {33, 3, kCheckByte - 35},  // the mail To's length
  };
  for (const auto& [lengthAt, urlSize, mailToSize] : cases) {
    ContentImage damaged = composed;
    damaged[lengthAt] = 0xFF;
    damaged[kCheckByte + 2] = 0x01, damaged[kCheckByte + 3] = 0x03;  // mail marks past the room
    const DecodedCard cut = DecodeCard(damaged);
    EXPECT_EQ(cut.mail, mailToSize > 0) << lengthAt;
    EXPECT_FALSE(cut.sectionsWhole) << lengthAt;
    EXPECT_EQ(cut.url.size(), urlSize) << lengthAt;
    EXPECT_EQ(cut.mailTo.size(), mailToSize) << lengthAt;
    EXPECT_EQ(cut.popup + cut.mailCc + cut.mailTitle + cut.mailBody, "") << lengthAt;
  }
}

}  // namespace
}  // namespace morvik
