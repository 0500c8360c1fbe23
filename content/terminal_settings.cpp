#include "content/terminal_settings.h"

#include <algorithm>
#include <optional>
#include <string>

#include "window/control_ids.h"

namespace morvik {

namespace {

constexpr int kModeNormal = 0;
constexpr int kModeFull = 1;

constexpr char kErrorCaption[] = "Error";

OperatorMessage EntryError(std::string text, int controlId) {
  return OperatorMessage(std::move(text), kErrorCaption, kMbError, {MessageKind::kEntry, {controlId}});
}

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
std::optional<std::uint8_t> ListIndex(WindowServices& window, const ListField& list) {
  const int selection = window.GetListSelection(list.controlId);
  if (selection >= 0) return static_cast<std::uint8_t>(selection);
  const std::string typed = window.GetListText(list.controlId);
  for (std::size_t position = 0; position < list.items.size(); ++position) {
    if (typed == list.items[position]) return static_cast<std::uint8_t>(position);
  }
  return std::nullopt;
}

// The entries' texts; nullopt, after a message, at the first text the card
// would carry with a character it cannot hold.
std::optional<CardTexts> ReadEntries(WindowServices& window, const ContentSettings& settings) {
  CardTexts texts;
  for (const TextField& field : kTextFields) {
    EntryText entry = window.GetEntryText(field.controlId, kEntryBufferSize);
    const bool onCard = !field.mailOnly || settings.mailEnabled != 0;
    if (!entry.encodable && onCard) {
      window.ShowMessage(EntryError(UnencodableMessage(field.windowLabel, entry), field.controlId));
      return std::nullopt;
    }
    texts.*field.text = std::move(entry.bytes);
  }
  return texts;
}

// The list positions; nullopt, after a message, at the first list whose
// field holds none of its items.
std::optional<TerminalChoices> ReadLists(WindowServices& window) {
  TerminalChoices choices;
  for (const ListField& list : kListFields) {
    const std::optional<std::uint8_t> position = ListIndex(window, list);
    if (!position) {
      window.ShowMessage(EntryError(NotAnItemMessage(list.windowLabel), list.controlId));
      return std::nullopt;
    }
    choices.*list.choice = *position;
  }
  return choices;
}

}  // namespace

void FillSettingsLists(WindowServices& window) {
  // The window's order, which is not the card's: the auto-off time comes
  // before the release time.
  constexpr int kFillOrder[] = {kIdcVolumeList, kIdcSoundTypeList,   kIdcLedPatternList,
                                kIdcModeList,   kIdcAutoOffTimeList, kIdcReleaseTimeList};
  for (const int id : kFillOrder) {
    const ListField& list = *std::ranges::find(kListFields, id, &ListField::controlId);
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
  std::optional<CardTexts> texts = ReadEntries(window, settings);
  if (!texts) return false;
  const std::optional<TerminalChoices> choices = ReadLists(window);
  if (!choices) return false;
  static_cast<CardTexts&>(settings) = std::move(*texts);
  static_cast<TerminalChoices&>(settings) = *choices;
  settings.initCard = window.GetCheck(kIdcInitCardCheck) != 0 ? 1 : 0;
  if (serviceCid != 0) settings.initCard = 1;
  return true;
}

std::uint8_t PackSettingsByte(const TerminalChoices& choices, std::size_t imageByte) {
  unsigned byte = 0;
  for (const ListField& list : kListFields) {
    if (list.imageByte != imageByte) continue;
    byte |= (choices.*list.choice & ((1u << list.bits) - 1)) << list.lowestBit;
  }
  return static_cast<std::uint8_t>(byte);
}

TerminalChoices UnpackChoices(std::span<const std::uint8_t, kContentImageSize> image) {
  TerminalChoices choices;
  for (const ListField& list : kListFields) {
    const unsigned bits = image[list.imageByte] >> list.lowestBit;
    choices.*list.choice = static_cast<std::uint8_t>(bits & ((1u << list.bits) - 1));
  }
  return choices;
}

}  // namespace morvik
