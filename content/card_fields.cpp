#include "content/card_fields.h"

#include "content/content_image.h"
#include "window/control_ids.h"

namespace morvik {

const std::array<TextField, 6> kTextFields{{
    {"url", kIdcUrl, &CardTexts::url, "ＵＲＬ情報", "URL", Said::kOptionUrl, false, false},
    {"popup", kIdcPopup, &CardTexts::popup, "ポップアップ", "popup", Said::kOptionPopup, false, true},
    {"to", kIdcMailTo, &CardTexts::mailTo, "Ｔｏ", "mail To", Said::kOptionTo, true, false},
    {"cc", kIdcMailCc, &CardTexts::mailCc, "ｃｃ", "mail cc", Said::kOptionCc, true, false},
    {"title", kIdcMailTitle, &CardTexts::mailTitle, "タイトル", "mail title", Said::kOptionTitle, true, false},
    {"body", kIdcMailBody, &CardTexts::mailBody, "本文", "mail body", Said::kOptionBody, true, false},
}};

// Byte 249: mode in bits 7-5, release time in bits 4-3, auto-off time in bits
// 1-0. Byte 254: sound type in bits 7-6, volume in bits 5-4, LED pattern in bits 3-2.
const std::array<ListField, 6> kListFields{{
    {"volume", kIdcVolumeList, &TerminalChoices::volume, {"なし", "小", "中", "大"}, 3, "音量",
     "volume", kDisplaySettingsByte, 4, 2},
    {"sound", kIdcSoundTypeList, &TerminalChoices::soundType, {"1", "2", "3", "IDm"}, 0, "音種類",
     "sound type", kDisplaySettingsByte, 6, 2},
    {"led", kIdcLedPatternList, &TerminalChoices::ledPattern, {"消灯", "1", "2", "常時"}, 3,
     "LED点灯パターン", "LED pattern", kDisplaySettingsByte, 2, 2},
    {"mode", kIdcModeList, &TerminalChoices::powerMode, {"ノーマル", "フル", "2秒置き", "5秒置き"}, 0,
     "モード", "mode", kPowerSettingsByte, 5, 3},
    {"release", kIdcReleaseTimeList, &TerminalChoices::releaseTime, {"不使用", "1分", "3分", "10分"},
     0, "省電力一時解除時間", "release time", kPowerSettingsByte, 3, 2},
    {"autooff", kIdcAutoOffTimeList, &TerminalChoices::autoOffTime,
     {"不使用", "60分", "120分", "180分"}, 0, "自動オフ時間", "auto-off time", kPowerSettingsByte, 0, 2},
}};

TerminalChoices DefaultChoices() {
  TerminalChoices choices;
  for (const ListField& field : kListFields) choices.*field.choice = field.defaultIndex;
  return choices;
}

}  // namespace morvik
