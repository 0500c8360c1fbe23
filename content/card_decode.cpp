#include "content/card_decode.h"

#include <algorithm>

#include "content/content_image.h"
#include "content/terminal_settings.h"

namespace morvik {
namespace {

constexpr std::size_t kUrlSection = 16;
constexpr std::uint8_t kInitMark = 0x20;
constexpr std::uint8_t kCounterFlag = 0x40;
constexpr std::uint8_t kMailCounterFlag = 0x04;

// Reads the sections and never past their room (bytes 0-247).
class SectionReader {
 public:
  SectionReader(std::span<const std::uint8_t, kContentImageSize> image, std::size_t at)
      : image_(image), at_(at) {}

  // Past the room the section is cut: no byte, and every text after it empty.
  std::uint8_t Byte() {
    if (at_ < kCheckByte) return image_[at_++];
    whole_ = false;
    return {};
  }
  std::string Text(std::size_t length) {
    const std::size_t end = std::min(at_ + length, kCheckByte);
    if (end < at_ + length) whole_ = false;
    std::string text(image_.begin() + static_cast<std::ptrdiff_t>(at_),
                     image_.begin() + static_cast<std::ptrdiff_t>(std::max(at_, end)));
    at_ = std::max(at_, end);
    return text;
  }
  // A text behind its two-byte length.
  std::string LengthAndText() {
    const std::size_t length = Byte();
    Byte();
    return Text(length);
  }
  std::size_t at() const { return at_; }
  bool whole() const { return whole_; }

 private:
  std::span<const std::uint8_t, kContentImageSize> image_;
  std::size_t at_;
  bool whole_ = true;
};

CardKind KindOf(std::span<const std::uint8_t, kContentImageSize> image) {
  if (std::all_of(image.begin(), image.end(), [](std::uint8_t b) { return b == 0; })) {
    return CardKind::kBlank;
  }
  if (image[0] != 'M' || image[1] != 'v') return CardKind::kUnknown;
  if (image[2] == 0xFF && image[3] == 0x03) return CardKind::kUidSetting;
  if (image[2] != 0x00 || image[3] != 0x02) return CardKind::kUnknown;
  if (std::all_of(image.begin() + 8, image.begin() + 16,
                  [](std::uint8_t b) { return b == 0xFF; })) {
    return CardKind::kRead;
  }
  return image[kInitCardByte] == kInitMark ? CardKind::kInitialisation : CardKind::kContent;
}

// A section's blank: its position byte counts from the section's first byte.
std::optional<KeywordBlank> BlankAt(std::size_t section, std::uint8_t position, bool counter) {
  if (position == 0) return std::nullopt;
  return KeywordBlank{section + position, counter};
}

// A blank the terminal would fill past the sections' room is no blank of a
// card this system wrote: the card counts as damaged instead.
bool InTheRoom(const std::optional<KeywordBlank>& blank) {
  return !blank || blank->imageOffset + (blank->counter ? 20 : 16) <= kCheckByte;
}

void DecodeSections(std::span<const std::uint8_t, kContentImageSize> image, DecodedCard& card) {
  // A read card's header carries FF instead of the keyword flags.
  const bool flagsKnown = card.kind != CardKind::kRead;
  SectionReader url(image, kUrlSection);
  const std::uint8_t urlPosition = url.Byte();
  const std::size_t urlSectionLength = url.Byte();
  url.Text(4);
  card.url = url.LengthAndText();
  const std::size_t popupLength =
      urlSectionLength - std::min<std::size_t>(urlSectionLength, 8 + card.url.size());
  card.popup = url.Text(popupLength);
  card.urlBlank = BlankAt(kUrlSection, urlPosition, flagsKnown && (image[11] & kCounterFlag) != 0);
  bool whole = url.whole() && InTheRoom(card.urlBlank);
  if (!InTheRoom(card.urlBlank)) card.urlBlank.reset();

  const std::size_t mailSection = url.at();
  card.mail = mailSection + 3 < kCheckByte && image[mailSection + 2] == 0x01 &&
              image[mailSection + 3] == 0x03;
  if (card.mail) {
    SectionReader mail(image, mailSection);
    const std::uint8_t mailPosition = mail.Byte();
    mail.Byte();
    mail.Byte();
    mail.Byte();
    const std::size_t textsLength = mail.Byte();
    mail.Byte();
    card.mailTo = mail.LengthAndText();
    card.mailCc = mail.LengthAndText();
    card.mailTitle = mail.LengthAndText();
    card.mailBody = mail.LengthAndText();
    const std::size_t used =
        8 + card.mailTo.size() + card.mailCc.size() + card.mailTitle.size() + card.mailBody.size();
    card.popup = mail.Text(textsLength - std::min(textsLength, used));
    card.mailBlank =
        BlankAt(mailSection, mailPosition, flagsKnown && (image[11] & kMailCounterFlag) != 0);
    whole = whole && mail.whole() && InTheRoom(card.mailBlank);
    if (!InTheRoom(card.mailBlank)) card.mailBlank.reset();
  }
  card.sectionsWhole = whole;
}

}  // namespace

DecodedCard DecodeCard(std::span<const std::uint8_t, kContentImageSize> image) {
  DecodedCard card;
  card.kind = KindOf(image);
  card.customerId = {image[4], image[5]};
  if (card.kind == CardKind::kUidSetting) card.startUid = {image[4], image[5]};
  if (card.kind != CardKind::kContent && card.kind != CardKind::kInitialisation &&
      card.kind != CardKind::kRead) {
    return card;
  }
  DecodeSections(image, card);
  static_cast<TerminalChoices&>(card) = UnpackChoices(image);
  card.checkByteRight = image[kCheckByte] == ContentCheckByte(image);
  return card;
}

bool IsDamaged(const DecodedCard& card) {
  const bool carriesContent = card.kind == CardKind::kContent ||
                              card.kind == CardKind::kInitialisation || card.kind == CardKind::kRead;
  return carriesContent && (!card.checkByteRight || !card.sectionsWhole);
}

std::string DamageText(const DecodedCard& card) {
  std::string text = card.checkByteRight ? "" : "check byte wrong";
  if (!card.sectionsWhole) text += std::string(text.empty() ? "" : ", ") + "sections cut";
  return text;
}

}  // namespace morvik
