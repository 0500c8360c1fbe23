#include "content/terminal_settings.h"

#include <optional>
#include <string>

#include "window/control_ids.h"

namespace morvik {

const std::array<SettingsList, 6> kSettingsLists{{
    {kIdcVolumeList, {"なし", "小", "中", "大"}, 3, "音量"},
    {kIdcSoundTypeList, {"1", "2", "3", "IDm"}, 0, "音種類"},
    {kIdcLedPatternList, {"消灯", "1", "2", "常時"}, 3, "LED点灯パターン"},
    {kIdcModeList, {"ノーマル", "フル", "2秒置き", "5秒置き"}, 0, "モード"},
    {kIdcAutoOffTimeList, {"不使用", "60分", "120分", "180分"}, 0, "自動オフ時間"},
    {kIdcReleaseTimeList, {"不使用", "1分", "3分", "10分"}, 0, "省電力一時解除時間"},
}};

namespace {

constexpr int kModeNormal = 0;
constexpr int kModeFull = 1;

struct EntryField {
  int controlId;
  std::string ContentSettings::*field;
  std::string_view label;  // the entry's label in the window
  bool mail;               // on the card only in mail mode
};

constexpr std::array<EntryField, 6> kEntryFields{{
    {kIdcUrl, &ContentSettings::url, "ＵＲＬ情報", false},
    {kIdcPopup, &ContentSettings::popup, "ポップアップ", false},
    {kIdcMailTo, &ContentSettings::mailTo, "Ｔｏ", true},
    {kIdcMailCc, &ContentSettings::mailCc, "ｃｃ", true},
    {kIdcMailTitle, &ContentSettings::mailTitle, "タイトル", true},
    {kIdcMailBody, &ContentSettings::mailBody, "本文", true},
}};

constexpr char kErrorCaption[] = "Error";

std::string UnencodableMessage(std::string_view label, const EntryText& entry) {
  const std::string entryName = "「" + std::string(label) + "」";
  const std::string what =
      entry.unmappableAt == 0
          ? entryName + "にICカードに書き込めない文字が含まれています。"
          : entryName + "の" + std::to_string(entry.unmappableAt) + "文字目「" +
                entry.unmappableCharacter + "」はICカードに書き込めない文字です。";
  return what + "この文字を削除するか、別の文字に置き換えてください";
}

std::string NotAnItemMessage(std::string_view label) {
  return "「" + std::string(label) + "」に一覧にない値が入力されています。一覧から選んでください";
}

// The selected position; text typed into the list's field counts when it is
// exactly one of the items. nullopt for any other text.
std::optional<std::uint8_t> ListIndex(WindowServices& window, const SettingsList& list) {
  const int selection = window.GetListSelection(list.controlId);
  if (selection >= 0) return static_cast<std::uint8_t>(selection);
  const std::string typed = window.GetListText(list.controlId);
  for (std::size_t position = 0; position < list.items.size(); ++position) {
    if (typed == list.items[position]) return static_cast<std::uint8_t>(position);
  }
  return std::nullopt;
}

// The six entries in the order of kEntryFields; nullopt, after a message, at
// the first text the card would carry with a character it cannot hold.
std::optional<std::array<std::string, kEntryFields.size()>> ReadEntries(
    WindowServices& window, const ContentSettings& settings) {
  std::array<std::string, kEntryFields.size()> texts;
  for (std::size_t i = 0; i < kEntryFields.size(); ++i) {
    const EntryField& field = kEntryFields[i];
    EntryText entry = window.GetEntryText(field.controlId, kEntryBufferSize);
    const bool onCard = !field.mail || settings.mailEnabled != 0;
    if (!entry.encodable && onCard) {
      window.MessageBox(UnencodableMessage(field.label, entry), kErrorCaption, kMbError);
      return std::nullopt;
    }
    texts[i] = std::move(entry.bytes);
  }
  return texts;
}

// The lists in the order the capture reads them, each with its field.
struct ListField {
  int controlId;
  std::uint8_t ContentSettings::*field;
};

constexpr std::array<ListField, 6> kCapturedLists{{
    {kIdcVolumeList, &ContentSettings::volume},
    {kIdcSoundTypeList, &ContentSettings::soundType},
    {kIdcLedPatternList, &ContentSettings::ledPattern},
    {kIdcModeList, &ContentSettings::powerMode},
    {kIdcReleaseTimeList, &ContentSettings::releaseTime},
    {kIdcAutoOffTimeList, &ContentSettings::autoOffTime},
}};

const SettingsList& ListOf(int controlId) {
  for (const SettingsList& list : kSettingsLists) {
    if (list.controlId == controlId) return list;
  }
  return kSettingsLists.front();
}

// The list positions in the order of kCapturedLists; false, after a message,
// at the first list whose field holds none of its items.
bool ReadLists(WindowServices& window, std::array<std::uint8_t, kCapturedLists.size()>& positions) {
  for (std::size_t i = 0; i < kCapturedLists.size(); ++i) {
    const SettingsList& list = ListOf(kCapturedLists[i].controlId);
    const std::optional<std::uint8_t> position = ListIndex(window, list);
    if (!position) {
      window.MessageBox(NotAnItemMessage(list.label), kErrorCaption, kMbError);
      return false;
    }
    positions[i] = *position;
  }
  return true;
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

// A character the card cannot hold would reach it as "?", and a typed list
// value as an undefined setting: both stop the write before anything is
// captured, with a message that names the entry or list. The texts are read
// first, then the lists, so the first message is about the first of them.
bool CaptureContentSettings(WindowServices& window, ContentSettings& settings,
                            std::int32_t serviceCid) {
  auto texts = ReadEntries(window, settings);
  if (!texts) return false;
  std::array<std::uint8_t, kCapturedLists.size()> positions{};
  if (!ReadLists(window, positions)) return false;
  for (std::size_t i = 0; i < kEntryFields.size(); ++i) {
    settings.*kEntryFields[i].field = std::move((*texts)[i]);
  }
  for (std::size_t i = 0; i < kCapturedLists.size(); ++i) {
    settings.*kCapturedLists[i].field = positions[i];
  }
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
