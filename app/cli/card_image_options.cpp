#include "app/cli/card_image_options.h"

#include <string>
#include <utility>

#include "card/block_commands.h"
#include "content/content_image.h"
#include "content/terminal_settings.h"
#include "window/control_ids.h"
#include "window/cp932.h"

namespace morvik {
namespace {

constexpr char kBadNumberText[] =
    "入力された番号を16進数として読み取れません。FFFF以下の16進数を入力してください。";

std::array<std::uint8_t, 2> HighAndLowByte(std::int32_t number) {
  const auto bits = static_cast<std::uint32_t>(number);
  return {static_cast<std::uint8_t>((bits >> 8) & 0xFF), static_cast<std::uint8_t>(bits & 0xFF)};
}

// Read as the window reads its entry: code page 932 bytes, then the number.
std::optional<std::int32_t> TypedNumber(const std::string& text, HeadlessWindow& window) {
  const EntryText typed = EntryFromUtf8(text, kEntryBufferSize);
  const std::optional<std::int32_t> number = ParseCardNumber(typed.bytes);
  if (!number) window.MessageBox(kBadNumberText, "Error", kMbError);
  return number;
}

}  // namespace

void PutContentIntoWindow(HeadlessWindow& window, const ContentOptions& content) {
  FillSettingsLists(window);
  const std::pair<int, const std::string*> texts[] = {
      {kIdcUrl, &content.url},        {kIdcPopup, &content.popup},
      {kIdcMailTo, &content.to},      {kIdcMailCc, &content.cc},
      {kIdcMailTitle, &content.title}, {kIdcMailBody, &content.body}};
  for (const auto& [id, text] : texts) window.SetControlText(id, *text);
  const std::pair<int, int> lists[] = {
      {kIdcVolumeList, content.volume}, {kIdcLedPatternList, content.led},
      {kIdcSoundTypeList, content.sound}, {kIdcModeList, content.mode},
      {kIdcReleaseTimeList, content.release}, {kIdcAutoOffTimeList, content.autoOff}};
  for (const auto& [id, position] : lists) window.SelectListItem(id, position);
  window.SetCheck(kIdcInitCardCheck, content.initCard ? 1 : 0);
}

std::optional<ContentImage> BuildCardImage(const CliOptions& options,
                                           std::array<std::uint8_t, 2> customerId,
                                           HeadlessWindow& window) {
  const ContentOptions& content = options.content;
  if (options.uidCard) {
    const std::optional<std::int32_t> startUid = TypedNumber(*options.uidCard, window);
    if (!startUid) return std::nullopt;
    return UidSettingCard(HighAndLowByte(*startUid));
  }
  const std::optional<std::int32_t> serviceCid = TypedNumber(content.serviceCid.value_or(""), window);
  if (!serviceCid) return std::nullopt;
  if (content.serviceCid || content.readMark) customerId = HighAndLowByte(*serviceCid);
  PutContentIntoWindow(window, content);
  ContentSettings settings;
  ResetContentSettings(settings);
  settings.mailEnabled = content.mail ? 1 : 0;
  const ContentValues values{customerId, *serviceCid,
                             static_cast<std::uint8_t>(content.readMark ? 1 : 0)};
  ContentImage image{};
  if (!CaptureContentSettings(window, settings, *serviceCid) ||
      !BuildContentImage(window, settings, values, image)) {
    return std::nullopt;
  }
  return image;
}

}  // namespace morvik
