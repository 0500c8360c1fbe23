// Template 103: the main window. Items in template order; dialog units.
#include "app/layout/resources.h"
#include "window/control_ids.h"

namespace morvik {
namespace {

using enum ItemKind;

constexpr unsigned kHiddenOff = kHidden | kDisabled;
constexpr unsigned kLabelV = kCenterVertically;
constexpr unsigned kLabelRightV = kAlignRight | kCenterVertically;
constexpr unsigned kList = kSorted | kTabStop;

constexpr DialogItem kMainWindowItems[] = {
    /*  1 */ {kIdcUrl, kEdit, "", {54, 31, 266, 16}, kTabStop},
    /*  2 */ {kIdcPopup, kEdit, "", {55, 60, 169, 16}, kTabStop},
    /*  3 */ {kIdcMailCheck, kCheckBox,
              "メール送信（au, Softbank携帯が対象です。ドコモ携帯では、上記URLが送信されます。）",
              {10, 91, 270, 10}, kTabStop},
    /*  4 */ {kIdcStatic, kGroupBox, "", {10, 103, 368, 95}, 0},
    /*  5 */ {kIdcMailTo, kEdit, "", {45, 115, 138, 16}, kTabStop | kDisabled},
    /*  6 */ {kIdcMailCc, kEdit, "", {214, 115, 138, 16}, kTabStop | kDisabled},
    /*  7 */ {kIdcMailTitle, kEdit, "", {45, 140, 320, 16}, kTabStop | kDisabled},
    /*  8 */ {kIdcMailBody, kEdit, "", {45, 162, 320, 27}, kTabStop | kDisabled},
    /*  9 */ {kIdcVolumeList, kComboBox, "", {59, 224, 30, 70}, kList},
    /* 10 */ {kIdcLedPatternList, kComboBox, "", {165, 224, 38, 70}, kList},
    /* 11 */ {kIdcWrite, kPushButton, "書き込み", {325, 31, 37, 16}, kTabStop},
    /* 12 */ {kIdcExit, kPushButton, "終了", {323, 294, 43, 21}, kTabStop | kRaisedBorder},
    /* 13 */ {kIdcSoundTypeList, kComboBox, "", {155, 324, 36, 70}, kList | kHiddenOff},
    /* 14 */ {kIdcDump, kPushButton, "RIDez内容読み出し", {17, 310, 82, 19}, kTabStop | kHiddenOff},
    /* 15 */ {kIdcCheckUid, kPushButton, "RIDez UID チェック", {204, 330, 70, 21},
              kTabStop | kRaisedBorder | kHiddenOff},
    /* 16 */ {kIdcInitCardCheck, kCheckBox, "初期化カードの作成", {218, 318, 75, 10},
              kTabStop | kHiddenOff},
    /* 17 */ {kIdcStatic, kLabel, "ＵＲＬ情報：", {14, 33, 35, 11}, kLabelV},
    /* 18 */ {kIdcStatic, kLabel, "Ｔｏ：", {6, 115, 27, 16}, kLabelRightV},
    /* 19 */ {kIdcStatic, kLabel, "ｃｃ：", {196, 115, 13, 16}, kLabelRightV},
    /* 20 */ {kIdcStatic, kLabel, "タイトル：", {16, 140, 27, 16}, kLabelRightV},
    /* 21 */ {kIdcStatic, kLabel, "本文：", {16, 162, 27, 16}, kLabelRightV},
    /* 22 */ {kIdcUidDisplay, kEdit, "", {279, 333, 93, 20}, kTabStop | kReadOnly | kHiddenOff},
    /* 23 */ {kIdcReport, kMultiLineEdit, "", {10, 321, 368, 17},
              kTabStop | kReadOnly | kVerticalScroll | kHiddenOff},
    /* 24 */ {kIdcStatic, kLabel,
              "キーワードリファレンス    [IM]:IDm  [CT]:カウンタ  [CI]:カスタマーID  [UI]:Morvik端末ID",
              {113, 200, 242, 9}, 0},
    /* 25 */ {kIdcCustomerId, kEdit, "", {346, 12, 32, 12}, kReadOnly | kNoBorder | kDisabled},
    /* 26 */ {kIdcStatic, kLabel, "CUSTOMER ID", {289, 12, 47, 8}, kDisabled},
    /* 27 */ {kIdcStatic, kLabel, "音設定", {113, 329, 24, 10}, kHiddenOff},
    /* 28 */ {kIdcStatic, kLabel, "音量", {17, 227, 16, 8}, 0},
    /* 29 */ {kIdcStatic, kLabel, "LED点灯パターン", {103, 227, 51, 8}, 0},
    /* 30 */ {kIdcStatic, kLabel, "音種類", {178, 332, 23, 8}, kHiddenOff},
    /* 31 */ {kIdcStatic, kLabel, "ポップアップ：", {14, 63, 36, 11}, kLabelV},
    /* 32 */ {kIdcStatic, kLabel, "au, Softbankでのみ表示されます", {236, 64, 99, 9}, 0},
    /* 33 */ {kIdcStatic, kLabel, "使用したCIDを入力してください：", {25, 319, 100, 11},
              kLabelV | kHiddenOff},
    /* 34 */ {kIdcServiceCid, kEdit, "", {23, 335, 58, 16}, kTabStop | kHiddenOff},
    /* 35 */ {kIdcStatic, kLabel,
              "使用開始後のMorvikを出荷時状態に戻すための特別IC Cardを作成します。",
              {25, 323, 234, 11}, kHiddenOff},
    /* 36 */ {kIdcCreateWriteCard, kPushButton, "書込作成", {87, 336, 54, 17}, kTabStop | kHiddenOff},
    /* 37 */ {kIdcClear, kPushButton, "RIDezクリア", {313, 313, 53, 17}, kTabStop | kHiddenOff},
    /* 38 */ {kIdcCreateReadCard, kPushButton, "読出作成", {147, 336, 54, 17}, kTabStop | kHiddenOff},
    /* 39 */ {kIdcStatic, kLabel, "モード", {19, 274, 18, 8}, 0},
    /* 40 */ {kIdcModeList, kComboBox, "", {45, 271, 49, 70}, kList},
    /* 41 */ {kIdcStatic, kLabel, "省電力一時解除時間", {102, 274, 67, 8}, 0},
    /* 42 */ {kIdcReleaseTimeList, kComboBox, "", {170, 271, 38, 70}, kList},
    /* 43 */ {kIdcAutoOffTimeList, kComboBox, "", {263, 271, 38, 70}, kList},
    /* 44 */ {kIdcUidCardCheck, kCheckBox, "UID設定カードの作成", {220, 321, 79, 10},
              kTabStop | kHiddenOff},
    /* 45 */ {kIdcStatic, kLabel, "UID設定カードの作成では開始UIDを入力", {140, 321, 177, 11},
              kLabelV | kHiddenOff},
    /* 46 */ {kIdcStatic, kLabel, "自動オフ時間", {215, 274, 40, 8}, 0},
    /* 47 */ {kIdcStatic, kLabel, "省電力一時解除時間は、モードが、2秒、5秒の時に有効です。",
              {97, 292, 187, 8}, 0},
    /* 48 */ {kIdcStatic, kLabel, "携帯電話の検出後、この指定時間フルと同じ反応速度となります。",
              {98, 303, 192, 8}, 0},
    /* 49 */ {kIdcStatic, kGroupBox, "表示機能", {10, 213, 301, 31}, 0},
    /* 50 */ {kIdcStatic, kGroupBox, "省電力機能", {10, 252, 300, 61}, 0},
};

constexpr MenuItem kFileMenu[] = {
    {"", 0, false},
    {"終了", kIdcExit, false},
};

constexpr MenuItem kHelpMenu[] = {
    {"ヘルプ", kIdHelp, true},
    {"バージョン情報", kIdmAbout, false},
};

constexpr MenuPopup kMenuPopups[] = {
    {"ファイル", kFileMenu},
    {"ヘルプ", kHelpMenu},
};

constexpr MenuTemplate kMainMenu{kIdrMainMenu, kMenuPopups};

constexpr DialogTemplate kMainWindow{
    kIddMainWindow, "MOBILE Morvik IC Card Writer", 385, 365, "MS UI Gothic", 8,
    kMainWindowItems, &kMainMenu, true};

}  // namespace

const DialogTemplate& MainWindowTemplate() { return kMainWindow; }
const MenuTemplate& MainMenu() { return kMainMenu; }

}  // namespace morvik
