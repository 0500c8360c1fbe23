// Template 104: the production window. Items in template order (the tab
// order: Start first, so that Return alone starts); dialog units; the main
// window's font. The list views' columns hold the longest state, result and
// reason whole beside a vertical scroll bar.
#include "app/layout/line_window_ids.h"
#include "app/layout/resources.h"

namespace morvik {
namespace {

using enum ItemKind;

constexpr ListColumn kWriterColumns[] = {
    {"ポート", 34}, {"CID", 28}, {"状態", 150}, {"IDm", 82}, {"行", 234},
};

constexpr ListColumn kRecordColumns[] = {
    {"行", 36}, {"ID", 50}, {"IDm", 82}, {"結果", 76}, {"理由", 284},
};

constexpr unsigned kName = kNoPrefix;  // file names may hold '&'

constexpr DialogItem kLineWindowItems[] = {
    {kIdcLineStart, kPushButton, "開始(&S)", {394, 312, 110, 16}, kTabStop | kDefaultButton | kDisabled},
    {kIdcLineStop, kPushButton, "停止(&T)", {510, 312, 50, 16}, kTabStop | kDisabled},
    {kIdcLineOpen, kPushButton, "開く(&O)...", {502, 6, 58, 14}, kTabStop},
    {kIdcLineFast, kCheckBox, "高速(&F)", {12, 315, 60, 10}, kTabStop},
    {kIdcLineWriters, kListView, "", {12, 59, 544, 61}, kTabStop, 0, kWriterColumns},
    {kIdcLineRecords, kListView, "", {12, 191, 544, 95}, kTabStop, 0, kRecordColumns},
    {kIdcStatic, kLabel, "リスト：", {8, 9, 40, 8}, 0},
    {kIdcLineFile, kLabel, "", {50, 9, 446, 8}, kName},
    {kIdcLineInfo, kLabel, "", {50, 22, 510, 8}, kName},
    {kIdcStatic, kLabel, "記録：", {8, 35, 40, 8}, 0},
    {kIdcLineJournal, kLabel, "", {50, 35, 510, 8}, kName},
    {kIdcStatic, kLabel, "済み：", {12, 142, 28, 8}, kAlignRight},
    {kIdcLineDone, kLabel, "0", {42, 142, 38, 8}, 0},
    {kIdcStatic, kLabel, "残り：", {82, 142, 28, 8}, kAlignRight},
    {kIdcLineLeft, kLabel, "0", {112, 142, 38, 8}, 0},
    {kIdcStatic, kLabel, "失敗：", {152, 142, 28, 8}, kAlignRight},
    {kIdcLineFailed, kLabel, "0", {182, 142, 38, 8}, 0},
    {kIdcStatic, kLabel, "枚/分：", {222, 142, 30, 8}, kAlignRight},
    {kIdcLineRate, kLabel, "－", {254, 142, 36, 8}, 0},
    {kIdcStatic, kLabel, "残り時間：", {292, 142, 42, 8}, kAlignRight},
    {kIdcLineTimeLeft, kLabel, "－", {336, 142, 72, 8}, 0},
    {kIdcLineProgress, kProgressBar, "", {12, 156, 544, 12}, 0},
    {kIdcLineMessage, kLabel, "", {8, 298, 552, 8}, kName},
    {kIdcStatic, kGroupBox, "ライター", {6, 48, 556, 78}, 0},
    {kIdcStatic, kGroupBox, "進み具合", {6, 130, 556, 46}, 0},
    {kIdcStatic, kGroupBox, "最近のカード", {6, 180, 556, 112}, 0},
};

constexpr DialogTemplate kLineWindow{
    kIddLineWindow, "MOBILE Morvik IC Card Writer 連続書き込み", 568, 334, "MS UI Gothic", 8,
    kLineWindowItems, nullptr, true};

}  // namespace

const DialogTemplate& LineWindowTemplate() { return kLineWindow; }

}  // namespace morvik
