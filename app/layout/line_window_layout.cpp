// Template 104: the production window. Items in template order (the tab
// order: Start first, so that Return alone starts); dialog units; the main
// window's font.
#include "app/layout/line_window_ids.h"
#include "app/layout/resources.h"

namespace morvik {
namespace {

using enum ItemKind;

constexpr ListColumn kWriterColumns[] = {
    {"ポート", 34}, {"CID", 28}, {"状態", 128}, {"IDm", 82}, {"行", 108},
};

constexpr ListColumn kRecordColumns[] = {
    {"行", 26}, {"ID", 62}, {"IDm", 82}, {"結果", 58}, {"理由", 160},
};

constexpr unsigned kName = kNoPrefix;  // file names may hold '&'

constexpr DialogItem kLineWindowItems[] = {
    {kIdcLineStart, kPushButton, "開始(&S)", {306, 312, 50, 16}, kTabStop | kDefaultButton | kDisabled},
    {kIdcLineStop, kPushButton, "停止(&T)", {362, 312, 50, 16}, kTabStop | kDisabled},
    {kIdcLineOpen, kPushButton, "開く(&O)...", {354, 6, 58, 14}, kTabStop},
    {kIdcLineWriters, kListView, "", {12, 59, 396, 61}, kTabStop, 0, kWriterColumns},
    {kIdcLineRecords, kListView, "", {12, 191, 396, 95}, kTabStop, 0, kRecordColumns},
    {kIdcStatic, kLabel, "リスト：", {8, 9, 40, 8}, 0},
    {kIdcLineFile, kLabel, "", {50, 9, 298, 8}, kName},
    {kIdcLineInfo, kLabel, "", {50, 22, 362, 8}, kName},
    {kIdcStatic, kLabel, "記録：", {8, 35, 40, 8}, 0},
    {kIdcLineJournal, kLabel, "", {50, 35, 362, 8}, kName},
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
    {kIdcLineProgress, kProgressBar, "", {12, 156, 396, 12}, 0},
    {kIdcLineMessage, kLabel, "", {8, 298, 404, 8}, kName},
    {kIdcStatic, kGroupBox, "ライター", {6, 48, 408, 78}, 0},
    {kIdcStatic, kGroupBox, "進み具合", {6, 130, 408, 46}, 0},
    {kIdcStatic, kGroupBox, "最近のカード", {6, 180, 408, 112}, 0},
};

constexpr DialogTemplate kLineWindow{
    kIddLineWindow, "MOBILE Morvik IC Card Writer 連続書き込み", 420, 334, "MS UI Gothic", 8,
    kLineWindowItems, nullptr, true};

}  // namespace

const DialogTemplate& LineWindowTemplate() { return kLineWindow; }

}  // namespace morvik
