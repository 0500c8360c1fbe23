// What the writer, card and content operations need of the main window.
//
// The operations never touch a widget directly: they ask the window through
// this interface for a message box, a control's text or state, a list, the wait
// cursor, a posted message or the end of the process. The Qt window implements
// it with real widgets; the headless backend keeps the same state in memory for
// the tests and the command-line tool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace morvik {

// Message box types and answers, with the values the Windows dialog services use.
inline constexpr unsigned kMbOk = 0x00;
inline constexpr unsigned kMbOkCancel = 0x01;
inline constexpr unsigned kMbRetryCancel = 0x05;
inline constexpr unsigned kMbIconHand = 0x10;
inline constexpr unsigned kMbError = kMbOk | kMbIconHand;                 // 0x10
inline constexpr unsigned kMbQuestion = kMbOkCancel | kMbIconHand;        // 0x11
inline constexpr unsigned kMbRetryCancelError = kMbRetryCancel | kMbIconHand;  // 0x15

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdRetry = 4;

// Size of the buffer an entry is read into: at most 239 bytes and a terminator.
inline constexpr std::size_t kEntryBufferSize = 240;

// An entry's text as the card holds it: code page 932 bytes.
struct EntryText {
  std::string bytes;      // cut to fit the buffer, never inside a double-byte character;
                          // '?' for a character code page 932 cannot represent
  bool encodable = true;  // false: the part kept holds such a character (or bad UTF-8)
  std::size_t unmappableAt = 0;     // 1-based number of the first such character
  std::string unmappableCharacter;  // that character, UTF-8
};

// What a message is about, beside its words, for whoever answers it without
// reading them: its kind, and the controls whose entries it concerns.
enum class MessageKind {
  kOther,        // none of the kinds below
  kEntry,        // what a control holds is refused (a character, an item, a number)
  kLimit,        // the texts of the controls together break a length limit
  kQuestion,     // whether to go on with what the entries hold
  kNoWriter,     // no writer answered on any port
  kNoCard,       // the writer reads no card
  kWriteStopped, // a block write failed: the card is written up to that block
  kReadFailed,   // the writer did not read the card back
};

struct MessageSubject {
  MessageKind kind = MessageKind::kOther;
  std::vector<int> controls;  // control ids, in the window's order
};

// A message to the operator as the operations give it. The window shows its text, then its
// advice, then its detail after a blank line.
struct OperatorMessage {
  OperatorMessage(std::string text, std::string caption, unsigned type, MessageSubject subject = {})
      : text(std::move(text)), caption(std::move(caption)), type(type), subject(std::move(subject)) {}

  std::string text;
  std::string caption;
  unsigned type;
  MessageSubject subject;
  std::string advice;  // what to do in the window (a button to press)
  std::string detail;  // what else is known of the cause
};

inline std::string WindowText(const OperatorMessage& message) {
  return message.text + message.advice + (message.detail.empty() ? "" : "\n\n" + message.detail);
}

class WindowServices {
 public:
  virtual ~WindowServices() = default;

  // A modal message box owned by the main window; returns the button chosen
  // (kIdOk, kIdCancel, kIdRetry). Texts are UTF-8.
  virtual int MessageBox(std::string_view text, std::string_view caption, unsigned type) = 0;
  // The message box for a message with its subject: the window shows
  // WindowText(message); a backend that answers by itself may use the rest.
  virtual int ShowMessage(const OperatorMessage& message) {
    return MessageBox(WindowText(message), message.caption, message.type);
  }

  // Reads an edit's text as code page 932 bytes, at most bufferSize - 1 of them.
  virtual EntryText GetEntryText(int controlId, std::size_t bufferSize) = 0;
  // Sets a control's text (UTF-8).
  virtual void SetControlText(int controlId, std::string_view text) = 0;

  virtual int GetCheck(int controlId) = 0;
  virtual void SetCheck(int controlId, int state) = 0;

  virtual void InsertListItem(int controlId, int position, std::string_view text) = 0;
  virtual void SelectListItem(int controlId, int position) = 0;
  // The selected position, or -1 when the list has no selection.
  virtual int GetListSelection(int controlId) = 0;
  // The text in a list's field (UTF-8): the selected item's, or what was typed.
  virtual std::string GetListText(int controlId) = 0;

  virtual void EnableControl(int controlId, bool enable) = 0;

  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;

  // Posts a message to the window itself; it is handled after the current one.
  virtual void PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;

  // Ends the process at once with the given status. A test backend records the
  // call and returns; callers return straight after it.
  virtual void ExitProcess(int status) = 0;

  // Lets the window repaint while a long command blocks its thread. Never
  // delivers operator input. Called between the bytes of a writer exchange.
  virtual void KeepPainting() {}

  // Progress of a card write, block by block (done of total).
  virtual void ReportProgress(int /*done*/, int /*total*/) {}
};

}  // namespace morvik
