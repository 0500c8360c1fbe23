// Identifiers of the production window's controls, fixed by its template.
#pragma once

namespace morvik {

inline constexpr int kIdcLineStart = 1;  // the default button: Return alone starts
inline constexpr int kIdcLineStop = 1100;
inline constexpr int kIdcLineOpen = 1101;
inline constexpr int kIdcLineWriters = 1102;  // one row per writer
inline constexpr int kIdcLineRecords = 1103;  // the last cards, newest first
inline constexpr int kIdcLineFile = 1104;     // the list's file name
inline constexpr int kIdcLineInfo = 1105;     // rows, encoding, rows done before
inline constexpr int kIdcLineJournal = 1106;  // where the journal is
inline constexpr int kIdcLineDone = 1107;
inline constexpr int kIdcLineLeft = 1108;
inline constexpr int kIdcLineFailed = 1109;
inline constexpr int kIdcLineRate = 1110;      // cards per minute
inline constexpr int kIdcLineTimeLeft = 1111;
inline constexpr int kIdcLineProgress = 1112;  // rows done of all rows
inline constexpr int kIdcLineMessage = 1113;   // what happened last, or what to do
inline constexpr int kIdcLineFast = 1114;      // a reply ends with its frame (--fast)

// The columns of the two list views.
enum WriterColumn { kWriterPort, kWriterCid, kWriterState, kWriterIdm, kWriterRow };
enum RecordColumn { kRecordRow, kRecordId, kRecordIdm, kRecordResult, kRecordReason };

}  // namespace morvik
