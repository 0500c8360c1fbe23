// The content build from arbitrary texts, choices, shared values and answers
// to the keyword questions. It ends in one of three ways: a refusal with one
// of the five limit messages, the operator's Cancel, or a 256-byte image whose
// texts changed only by the keyword steps.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "content/content_image.h"
#include "fuzz/fuzz_support.h"
#include "window/headless_window.h"

namespace {

using morvik::ContentSettings;
using morvik::ContentValues;

constexpr std::size_t kLongestText = 400;

constexpr std::array<std::string_view, 5> kLimitMessages{
    "空のURL情報やメールToアドレスは設定できません",
    "ポップアップの長さは最大40文字（半角）までです",
    "URLとポップアップを合わせた長さは最大184文字（半角）までです",
    "メール各パラメータとポップアップを合わせた長さは最大178文字（半角）までです",
    "URLおよびメール各パラメータとポップアップを合わせた長さは最大210文字（半角）までです",
};

std::size_t MailBytes(const ContentSettings& s) {
  return s.mailTo.size() + s.mailCc.size() + s.mailTitle.size() + s.mailBody.size() +
         s.popup.size();
}

bool WithinLimits(const ContentSettings& s) {
  const bool mail = s.mailEnabled != 0;
  if (s.url.empty() || (mail && s.mailTo.empty()) || s.popup.size() > 40) return false;
  if (!mail) return s.url.size() + s.popup.size() <= 184;
  return s.url.size() <= 184 && MailBytes(s) <= 178 && s.url.size() + MailBytes(s) <= 210;
}

// What the terminal reads first: the header with the customer ID, the URL,
// the check byte over bytes 8-247 without 12 and 13, and the trailer.
void CheckImage(const ContentSettings& s, const ContentValues& v,
                const morvik::ContentImage& image) {
  FUZZ_CHECK(image[0] == 'M' && image[1] == 'v' && image[4] == v.customerId[0] &&
             image[5] == v.customerId[1] && image[22] == s.url.size());
  FUZZ_CHECK(s.url == std::string(image.begin() + 24, image.begin() + 24 + s.url.size()));
  unsigned sum = 0;
  for (std::size_t i : {8, 9, 10, 11, 14, 15}) sum += image[i];
  for (std::size_t i = 16; i < 248; ++i) sum += image[i];
  FUZZ_CHECK(image[248] == (sum & 0xFF));
  const std::array<std::uint8_t, 7> trailer{
      static_cast<std::uint8_t>((s.powerMode & 7) << 5 | (s.releaseTime & 3) << 3 |
                                (s.autoOffTime & 3)),
      v.customerId[0],
      v.customerId[1],
      0x00,
      0x00,
      static_cast<std::uint8_t>((s.soundType & 3) << 6 | (s.volume & 3) << 4 |
                                (s.ledPattern & 3) << 2),
      static_cast<std::uint8_t>(s.initCard ? 0x20 : 0x00)};
  FUZZ_CHECK(std::equal(trailer.begin(), trailer.end(), image.begin() + 249));
}

// The build changes texts only by the keyword steps and the popup's terminator.
void CheckTexts(const ContentSettings& before, const ContentSettings& after) {
  FUZZ_CHECK(after.mailTo == before.mailTo && after.mailCc == before.mailCc);
  std::string popup = before.popup;
  if (!popup.empty() && popup.size() < 38) {
    popup += "\r\n";
  } else if (popup.size() == 38) {
    popup += "\r";
  }
  FUZZ_CHECK(after.popup == popup);
  FUZZ_CHECK(after.url.size() == before.url.size() + (after.urlHasIdm ? 12 : 0));
  if (after.urlHasIdm) {
    const std::size_t blanks = after.urlHasCounter ? 20 : 16;
    FUZZ_CHECK(after.url.substr(after.urlIdmOffset, blanks) == std::string(blanks, ' '));
  }
  const std::size_t grown = after.mailTitle.size() + after.mailBody.size() -
                            before.mailTitle.size() - before.mailBody.size();
  FUZZ_CHECK(grown == (after.mailHasIdm ? 12u : 0u));
}

void CheckMessages(const morvik::HeadlessWindow& window, bool built, const ContentSettings& after) {
  const auto& shown = window.messages();
  const std::size_t questions = built || shown.empty() ? shown.size() : shown.size() - 1;
  for (std::size_t i = 0; i < questions; ++i) {
    FUZZ_CHECK(shown[i].type == morvik::kMbQuestion && shown[i].answer != morvik::kIdCancel);
  }
  if (built) {
    FUZZ_CHECK(WithinLimits(after));
    return;
  }
  FUZZ_CHECK(!shown.empty());
  const morvik::ShownMessage& last = shown.back();
  if (last.type == morvik::kMbQuestion) {
    FUZZ_CHECK(last.answer == morvik::kIdCancel);
    return;
  }
  FUZZ_CHECK(last.type == morvik::kMbError && last.caption == "Error");
  FUZZ_CHECK(std::find(kLimitMessages.begin(), kLimitMessages.end(), last.text) !=
             kLimitMessages.end());
  FUZZ_CHECK(!WithinLimits(after));
}

std::string ShortText(morvik::fuzz::FuzzInput& input) {
  std::string text = input.Text();
  if (text.size() > kLongestText) text.resize(kLongestText);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  morvik::fuzz::FuzzInput input(data, size);
  const std::uint8_t flags = input.Byte();
  ContentValues values;
  values.customerId = {input.Byte(), input.Byte()};
  const std::uint32_t serviceLow = input.Word();
  values.serviceCid = static_cast<std::int32_t>(serviceLow | std::uint32_t{input.Word()} << 16);
  values.readCardMark = flags & 0x04 ? 1 : 0;
  ContentSettings settings;
  settings.mailEnabled = flags & 0x01;
  settings.initCard = flags & 0x02 ? 1 : 0;
  for (std::uint8_t* choice : {&settings.volume, &settings.soundType, &settings.ledPattern,
                               &settings.powerMode, &settings.releaseTime, &settings.autoOffTime}) {
    *choice = input.Byte();
  }
  const std::uint8_t answers = input.Byte();  // bit n: Cancel for the nth question
  for (std::string* text : {&settings.url, &settings.popup, &settings.mailTo, &settings.mailCc,
                            &settings.mailTitle, &settings.mailBody}) {
    *text = ShortText(input);
  }
  morvik::HeadlessWindow window;
  int asked = 0;
  window.SetAnswerer([&](const morvik::ShownMessage&) {
    return (answers >> (asked++ % 8)) & 1 ? morvik::kIdCancel : morvik::kIdOk;
  });
  const ContentSettings before = settings;
  morvik::ContentImage image{};
  const bool built = morvik::BuildContentImage(window, settings, values, image);
  CheckMessages(window, built, settings);
  if (built) {
    CheckTexts(before, settings);
    CheckImage(settings, values, image);
  }
  return 0;
}
