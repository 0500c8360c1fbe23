// Identifiers of the main window's controls and commands, fixed by its template.
#pragma once

namespace morvik {

inline constexpr int kIdcExit = 1;              // Exit button, File menu "終了", Enter
inline constexpr int kIdcCancel = 2;            // Escape, close box
inline constexpr int kIdcWrite = 1000;          // write button "書き込み"
inline constexpr int kIdcUrl = 1001;
inline constexpr int kIdcMailTo = 1002;
inline constexpr int kIdcMailCc = 1003;
inline constexpr int kIdcMailTitle = 1004;
inline constexpr int kIdcMailBody = 1005;
inline constexpr int kIdcInitCardCheck = 1006;
inline constexpr int kIdcPopup = 1007;
inline constexpr int kIdcUidCardCheck = 1008;
inline constexpr int kIdcCheckUid = 1009;
inline constexpr int kIdcUidDisplay = 1010;
inline constexpr int kIdcVolumeList = 1011;
inline constexpr int kIdcCustomerId = 1012;
inline constexpr int kIdcReport = 1013;         // version report and dump listing
inline constexpr int kIdcLedPatternList = 1014;
inline constexpr int kIdcDump = 1015;
inline constexpr int kIdcMailCheck = 1016;
inline constexpr int kIdcSoundTypeList = 1017;
inline constexpr int kIdcModeList = 1018;
inline constexpr int kIdcReleaseTimeList = 1019;
inline constexpr int kIdcServiceCid = 1020;
inline constexpr int kIdcCreateWriteCard = 1021;
inline constexpr int kIdcClear = 1022;
inline constexpr int kIdcCreateReadCard = 1023;
inline constexpr int kIdcAutoOffTimeList = 1024;

inline constexpr int kIdmConnect = 32772;       // in the command table, raised by nothing
inline constexpr int kIdmAbout = 32776;         // Help menu "バージョン情報"
inline constexpr int kIdHelp = 57670;           // greyed Help menu item
inline constexpr unsigned kSysCmdAbout = 0x0010;  // system menu "&About Morvik..."

// The request the main window posts to itself while it initialises.
inline constexpr unsigned kWmUser = 0x400;
inline constexpr unsigned WM_CONNECT_WRITER = kWmUser + 0x400;

}  // namespace morvik
