#include "content/content_image.h"

#include <algorithm>
#include <array>

#include "content/keywords.h"
#include "content/terminal_settings.h"
#include "window/control_ids.h"

namespace morvik {
namespace {

constexpr std::string_view kCaption = "Error";
constexpr std::string_view kEmptyEntryMessage = "空のURL情報やメールToアドレスは設定できません";
constexpr std::string_view kPopupLimitMessage = "ポップアップの長さは最大40文字（半角）までです";
constexpr std::string_view kUrlLimitMessage =
    "URLとポップアップを合わせた長さは最大184文字（半角）までです";
constexpr std::string_view kMailLimitMessage =
    "メール各パラメータとポップアップを合わせた長さは最大178文字（半角）までです";
constexpr std::string_view kTotalLimitMessage =
    "URLおよびメール各パラメータとポップアップを合わせた長さは最大210文字（半角）までです";

constexpr std::size_t kPopupLimit = 40;
constexpr std::size_t kUrlLimit = 184;
constexpr std::size_t kMailLimit = 178;
constexpr std::size_t kTotalLimit = 210;
constexpr std::size_t kPopupCrOnlyLength = 38;

constexpr std::size_t kUrlSectionStart = 16;
constexpr std::size_t kUrlTextStart = 24;
constexpr std::size_t kSectionsEnd = kCheckByte;  // sections stay in bytes 0-247
constexpr std::uint8_t kUrlSectionType = 0x02;
constexpr std::uint8_t kMailSectionType = 0x03;

// The texts the mail limit counts, the popup travelling with them, and the
// texts the total limit counts.
const std::vector<int> kMailControls = {kIdcMailTo, kIdcMailCc, kIdcMailTitle, kIdcMailBody,
                                        kIdcPopup};
const std::vector<int> kTotalControls = {kIdcUrl,       kIdcMailTo,   kIdcMailCc,
                                         kIdcMailTitle, kIdcMailBody, kIdcPopup};

OperatorMessage Refusal(std::string_view text, MessageKind kind, std::vector<int> controls) {
  return OperatorMessage(std::string(text), std::string(kCaption), kMbError, {kind, std::move(controls)});
}

bool InMailMode(const ContentSettings& settings) { return settings.mailEnabled != 0; }

std::size_t MailLength(const ContentSettings& settings) {
  return settings.mailTo.size() + settings.mailCc.size() + settings.mailTitle.size() +
         settings.mailBody.size() + settings.popup.size();
}

// Writes the sections byte by byte and refuses anything at or past the
// trailer, so that unchecked texts can never reach past the image.
class SectionWriter {
 public:
  SectionWriter(std::span<std::uint8_t, 256> image, std::size_t start)
      : image_(image), position_(start) {}

  void Byte(std::size_t value) {
    if (position_ >= kSectionsEnd) {
      overflowed_ = true;
      return;
    }
    image_[position_++] = static_cast<std::uint8_t>(value);
  }
  void Text(std::string_view text) {
    for (const char c : text) Byte(static_cast<unsigned char>(c));
  }
  // A text behind its two-byte length (length, 0x00).
  void LengthAndText(std::string_view text) {
    Byte(text.size());
    Byte(0x00);
    Text(text);
  }
  bool overflowed() const { return overflowed_; }

 private:
  std::span<std::uint8_t, 256> image_;
  std::size_t position_;
  bool overflowed_ = false;
};

// Position of the first blank counted from the section's first byte; 0 when
// the section has no blanks or they stand at the very start of the text.
std::size_t KeywordPosition(std::int32_t hasIdm, std::int32_t offset) {
  return hasIdm != 0 && offset != 0 ? static_cast<std::size_t>(offset) + 8 : 0;
}

std::uint8_t KeywordFlags(const ContentSettings& settings) {
  std::uint8_t flags = 0x02;
  if (KeywordPosition(settings.urlHasIdm, settings.urlIdmOffset) != 0) {
    flags |= settings.urlHasCounter != 0 ? 0xC0 : 0x80;
  }
  if (KeywordPosition(settings.mailHasIdm, settings.mailIdmOffset) != 0) {
    flags |= settings.mailHasCounter != 0 ? 0x0C : 0x08;
  }
  return flags;
}

void WriteHeader(const ContentSettings& settings, const ContentValues& values,
                 std::span<std::uint8_t, 256> image) {
  const auto [first, second] = values.customerId;
  const std::array<std::uint8_t, 8> fixed{'M', 'v', 0x00, 0x02, first, second, 0x00, 0x00};
  std::copy(fixed.begin(), fixed.end(), image.begin());
  // A read card carries 0xFF in all of bytes 8 to 15 instead of the marks.
  if (values.readCardMark != 0) {
    std::fill(image.begin() + 8, image.begin() + 16, 0xFF);
    return;
  }
  const bool mail = InMailMode(settings);
  const bool initCard = settings.initCard != 0;
  image[8] = mail ? 0x81 : 0x01;
  image[9] = initCard ? 0x00 : first;
  image[10] = initCard ? 0x00 : second;
  image[11] = KeywordFlags(settings);
  image[12] = 0x00;
  image[13] = 0x00;
  image[14] = mail ? 0x01 : 0x00;
  image[15] = static_cast<std::uint8_t>(mail ? kUrlTextStart + settings.url.size() : 0);
}

void WriteUrlSection(const ContentSettings& settings, SectionWriter& out) {
  const std::size_t urlLength = settings.url.size();
  const std::string_view popup = InMailMode(settings) ? std::string_view() : settings.popup;
  out.Byte(KeywordPosition(settings.urlHasIdm, settings.urlIdmOffset));
  out.Byte(8 + urlLength + popup.size());
  out.Byte(0x01);
  out.Byte(kUrlSectionType);
  out.Byte(2 + urlLength + popup.size());
  out.Byte(0x00);
  out.LengthAndText(settings.url);
  out.Text(popup);
}

void WriteMailSection(const ContentSettings& settings, SectionWriter& out) {
  const std::size_t mailLength = MailLength(settings);
  out.Byte(KeywordPosition(settings.mailHasIdm, settings.mailIdmOffset));
  out.Byte(14 + mailLength);
  out.Byte(0x01);
  out.Byte(kMailSectionType);
  out.Byte(8 + mailLength);
  out.Byte(0x00);
  out.LengthAndText(settings.mailTo);
  out.LengthAndText(settings.mailCc);
  out.LengthAndText(settings.mailTitle);
  out.LengthAndText(settings.mailBody);
  out.Text(settings.popup);
}

void WriteTrailer(const ContentSettings& settings, const ContentValues& values,
                  std::span<std::uint8_t, 256> image) {
  image[kCheckByte] = ContentCheckByte(image);
  image[kPowerSettingsByte] = PackSettingsByte(settings, kPowerSettingsByte);
  image[250] = values.customerId[0];
  image[251] = values.customerId[1];
  image[252] = 0x00;
  image[253] = 0x00;
  image[kDisplaySettingsByte] = PackSettingsByte(settings, kDisplaySettingsByte);
  image[kInitCardByte] = settings.initCard != 0 ? 0x20 : 0x00;
}

}  // namespace

void AppendPopupTerminator(std::string& popup) {
  if (popup.empty()) return;
  if (popup.size() < kPopupCrOnlyLength) {
    popup.append("\r\n");
  } else if (popup.size() == kPopupCrOnlyLength) {
    popup.push_back('\r');
  }
}

std::optional<OperatorMessage> FindLimitViolation(const ContentSettings& settings) {
  const bool mail = InMailMode(settings);
  const std::size_t urlLength = settings.url.size();
  const std::size_t popupLength = settings.popup.size();
  if (urlLength == 0) return Refusal(kEmptyEntryMessage, MessageKind::kEntry, {kIdcUrl});
  if (mail && settings.mailTo.empty()) {
    return Refusal(kEmptyEntryMessage, MessageKind::kEntry, {kIdcMailTo});
  }
  if (popupLength > kPopupLimit) return Refusal(kPopupLimitMessage, MessageKind::kLimit, {kIdcPopup});
  // In mail mode the popup travels in the mail section and counts there.
  if ((mail ? urlLength : urlLength + popupLength) > kUrlLimit) {
    return Refusal(kUrlLimitMessage, MessageKind::kLimit,
                   mail ? std::vector{kIdcUrl} : std::vector{kIdcUrl, kIdcPopup});
  }
  if (!mail) return std::nullopt;
  const std::size_t mailLength = MailLength(settings);
  if (mailLength > kMailLimit) return Refusal(kMailLimitMessage, MessageKind::kLimit, kMailControls);
  if (urlLength + mailLength > kTotalLimit) {
    return Refusal(kTotalLimitMessage, MessageKind::kLimit, kTotalControls);
  }
  return std::nullopt;
}

bool ComposeContentImage(const ContentSettings& settings, const ContentValues& values,
                         std::span<std::uint8_t, 256> image) {
  std::fill(image.begin(), image.end(), 0x00);
  WriteHeader(settings, values, image);
  SectionWriter out(image, kUrlSectionStart);
  WriteUrlSection(settings, out);
  if (InMailMode(settings)) WriteMailSection(settings, out);
  if (out.overflowed()) return false;
  WriteTrailer(settings, values, image);
  return true;
}

std::uint8_t ContentCheckByte(std::span<const std::uint8_t, 256> image) {
  unsigned sum = 0;
  for (std::size_t i = 8; i < kCheckByte; ++i) {
    if (i != 12 && i != 13) sum += image[i];
  }
  return static_cast<std::uint8_t>(sum & 0xFF);
}

bool BuildContentImage(WindowServices& window, ContentSettings& settings,
                       const ContentValues& values, std::span<std::uint8_t, 256> image) {
  if (!ApplyIdmCounterKeywords(window, settings)) return false;
  ReplaceCustomerIdKeyword(settings, values.customerId, values.serviceCid);
  AppendPopupTerminator(settings.popup);
  if (const std::optional<OperatorMessage> refusal = FindLimitViolation(settings)) {
    window.ShowMessage(*refusal);
    return false;
  }
  return ComposeContentImage(settings, values, image);
}

}  // namespace morvik
