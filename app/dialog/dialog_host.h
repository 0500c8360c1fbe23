// What a dialog needs of the toolkit that shows it. The Qt backend builds real
// widgets; the headless host keeps the same state in memory for the tests.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/dialog/message.h"
#include "app/layout/dialog_template.h"
#include "window/window_services.h"

namespace morvik {

// A message box's question icon, beside the icons window/ knows: the
// production window asks with it (the main window's boxes keep theirs).
inline constexpr unsigned kMbIconQuestion = 0x20;
inline constexpr unsigned kMbAsk = kMbOkCancel | kMbIconQuestion;

// A question whose answers are named on its buttons, left to right. Return
// gives defaultChoice; Escape and the close box give escapeChoice.
struct ChoiceQuestion {
  std::string text;
  std::string caption;
  std::vector<std::string> choices;
  int defaultChoice = 0;
  int escapeChoice = 0;
  std::string detail{};  // the rest, whole, behind the box's details button; empty: none
};

using IconHandle = int;  // the icon's resource identifier; 0 for none

enum class IconKind { kSmall = 0, kLarge = 1 };  // WM_SETICON's first parameter

struct PixelSize {
  int width = 0;
  int height = 0;
};

class DialogHost {
 public:
  virtual ~DialogHost() = default;

  // Controls, message boxes, wait cursor and posted messages of this window.
  virtual WindowServices& services() = 0;

  // Builds the window and its controls from the template; messages go to
  // sink, the first being WM_INITDIALOG, before the window is first shown.
  virtual void CreateWindow(const DialogTemplate& dialog, MessageSink& sink) = 0;
  // Shows the window and dispatches its messages until EndModalLoop; returns
  // at once when EndModalLoop came first.
  virtual void RunModalLoop() = 0;
  virtual void EndModalLoop() = 0;
  virtual void DestroyWindow() = 0;

  // A control's whole text as shown (UTF-8).
  virtual std::string ControlText(int controlId) = 0;
  // Focus on the first enabled, visible tab stop in template order.
  virtual void FocusFirstTabStop() = 0;
  virtual void FocusControl(int controlId) = 0;

  // A list view's rows, row 0 at the top; cells are UTF-8, one per column.
  virtual void InsertListRow(int controlId, int row, std::span<const std::string> cells) = 0;
  virtual void SetListCell(int controlId, int row, int column, std::string_view text) = 0;
  virtual void DeleteListRow(int controlId, int row) = 0;
  // A progress bar's position, from 0 to range.
  virtual void SetProgress(int controlId, int position, int range) = 0;

  // The system's dialog that chooses a file to open: its name (UTF-8), or
  // nullopt when the operator cancelled. filter: what the files are and
  // their pattern ("CSV", "*.csv").
  virtual std::optional<std::string> ChooseFileToOpen(std::string_view title, std::string_view filterName,
                                                      std::string_view pattern) = 0;

  // Asks the question in a modal box with the question icon; the index of
  // the choice made.
  virtual int AskChoice(const ChoiceQuestion& question) = 0;

  // Posts a message to the window from any thread: it is handled on the
  // window's own thread, after what is posted before it. Whoever posts must
  // have stopped before the window is destroyed.
  virtual void PostFromThread(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;

  // The system menu; false when the window has none.
  virtual bool HasSystemMenu() = 0;
  virtual void AppendSystemMenuSeparator() = 0;
  virtual void AppendSystemMenuItem(unsigned commandValue, std::string_view text) = 0;
  // Move, minimise and the other system commands nobody handles.
  virtual void DefaultSystemCommand(unsigned commandValue) = 0;

  virtual void SetIcon(IconHandle icon, IconKind kind) = 0;

  // Painting of the minimised window.
  virtual bool IsIconic() = 0;
  virtual PixelSize IconMetrics() = 0;
  virtual PixelSize ClientSize() = 0;
  virtual void EraseIconBackground() = 0;
  virtual void DrawIcon(IconHandle icon, int x, int y) = 0;

  // A host for a modal box run over this window.
  virtual std::unique_ptr<DialogHost> CreateModalChild() = 0;
};

}  // namespace morvik
