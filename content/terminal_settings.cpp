#include "content/terminal_settings.h"

#include <optional>
#include <string>

#include "window/control_ids.h"

namespace morvik {

const std::array<SettingsList, 6> kSettingsLists{{
    {kIdcVolumeList, {"なし", "小", "中", "大"}, 3},
    {kIdcSoundTypeList, {"1", "2", "3", "IDm"}, 0},
    {kIdcLedPatternList, {"消灯", "1", "2", "常時"}, 3},
    {kIdcModeList, {"ノーマル", "フル", "2秒置き", "5秒置き"}, 0},
    {kIdcAutoOffTimeList, {"不使用", "60分", "120分", "180分"}, 0},
    {kIdcReleaseTimeList, {"不使用", "1分", "3分", "10分"}, 0},
}};

namespace {

constexpr int kModeNormal = 0;
constexpr int kModeFull = 1;

struct EntryField {
  int controlId;
  std::string ContentSettings::*field;
  std::string_view label;  // the entry's label in the window
};

constexpr std::array<EntryField, 6> kEntryFields{{
    {kIdcUrl, &ContentSettings::url, "ＵＲＬ情報"},
    {kIdcPopup, &ContentSettings::popup, "ポップアップ"},
    {kIdcMailTo, &ContentSettings::mailTo, "Ｔｏ"},
    {kIdcMailCc, &ContentSettings::mailCc, "ｃｃ"},
    {kIdcMailTitle, &ContentSettings::mailTitle, "タイトル"},
    {kIdcMailBody, &ContentSettings::mailBody, "本文"},
}};

std::string UnencodableMessage(std::string_view label) {
  return "「" + std::string(label) +
         "」にICカードに書き込めない文字が含まれています。"
         "この文字を削除するか、別の文字に置き換えてください";
}

std::uint8_t ListIndex(WindowServices& window, int controlId) {
  // A list without a selection reports -1, which the card keeps as 0xFF.
  return static_cast<std::uint8_t>(window.GetListSelection(controlId) & 0xFF);
}

// The entries in capture order, or the label of the first that holds a
// character the card cannot take.
struct CapturedTexts {
  std::array<std::string, kEntryFields.size()> texts;
  std::optional<std::string_view> unencodableLabel;
};

CapturedTexts ReadEntries(WindowServices& window) {
  CapturedTexts captured;
  for (std::size_t i = 0; i < kEntryFields.size(); ++i) {
    EntryText entry = window.GetEntryText(kEntryFields[i].controlId, kEntryBufferSize);
    if (!entry.encodable) {
      captured.unencodableLabel = kEntryFields[i].label;
      return captured;
    }
    captured.texts[i] = std::move(entry.bytes);
  }
  return captured;
}

}  // namespace

void FillSettingsLists(WindowServices& window) {
  for (const SettingsList& list : kSettingsLists) {
    for (std::size_t position = 0; position < list.items.size(); ++position) {
      window.InsertListItem(list.controlId, static_cast<int>(position), list.items[position]);
    }
    window.SelectListItem(list.controlId, list.defaultIndex);
  }
  window.EnableControl(kIdcReleaseTimeList, false);
  window.EnableControl(kIdcAutoOffTimeList, true);
}

void OnModeChanged(WindowServices& window) {
  const int mode = window.GetListSelection(kIdcModeList);
  window.EnableControl(kIdcReleaseTimeList, mode != kModeNormal && mode != kModeFull);
}

// Departure from the Windows original, which silently wrote "?" for a
// character code page 932 lacks: such an entry is refused with a message that
// names it, before anything is captured, and the card is left untouched.
bool CaptureContentSettings(WindowServices& window, ContentSettings& settings,
                            std::int32_t serviceCid) {
  CapturedTexts captured = ReadEntries(window);
  if (captured.unencodableLabel) {
    window.MessageBox(UnencodableMessage(*captured.unencodableLabel), "Error", kMbError);
    return false;
  }
  for (std::size_t i = 0; i < kEntryFields.size(); ++i) {
    settings.*kEntryFields[i].field = std::move(captured.texts[i]);
  }
  settings.volume = ListIndex(window, kIdcVolumeList);
  settings.soundType = ListIndex(window, kIdcSoundTypeList);
  settings.ledPattern = ListIndex(window, kIdcLedPatternList);
  settings.powerMode = ListIndex(window, kIdcModeList);
  settings.releaseTime = ListIndex(window, kIdcReleaseTimeList);
  settings.autoOffTime = ListIndex(window, kIdcAutoOffTimeList);
  settings.initCard = window.GetCheck(kIdcInitCardCheck) != 0 ? 1 : 0;
  if (serviceCid != 0) settings.initCard = 1;
  return true;
}

std::uint8_t PackPowerSettings(std::uint8_t powerMode, std::uint8_t releaseTime,
                               std::uint8_t autoOffTime) {
  return static_cast<std::uint8_t>(((powerMode & 0x07) << 5) | ((releaseTime & 0x03) << 3) |
                                   (autoOffTime & 0x03));
}

std::uint8_t PackDisplaySettings(std::uint8_t soundType, std::uint8_t volume,
                                 std::uint8_t ledPattern) {
  return static_cast<std::uint8_t>(((soundType & 0x03) << 6) | ((volume & 0x03) << 4) |
                                   ((ledPattern & 0x03) << 2));
}

}  // namespace morvik
