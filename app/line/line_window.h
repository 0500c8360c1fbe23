// The production window: template 104. It opens a list, shows what its
// journal holds, and runs the list on the writers (LineRun): one line per
// writer, the totals, the last cards with their results. What the writers'
// threads report reaches it as posted messages, one event each.
#pragma once

#include <deque>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "app/dialog/dialog.h"
#include "app/layout/line_window_ids.h"
#include "app/line/line_options.h"
#include "app/line/line_run.h"
#include "link/clock.h"
#include "window/control_ids.h"

namespace morvik {

// Posted from a writer's thread for each event it queued.
inline constexpr unsigned WM_LINE_EVENT = kWmUser + 0x401;

// The last cards the window lists; older ones are in the journal.
inline constexpr int kShownRecords = 200;

class CLineDlg : public CDialog {
 public:
  // seats: each writer's ports and clock; clock: the run's time for the
  // cards per minute.
  // locks: the journal's, as the file system gives them.
  CLineDlg(DialogHost& host, LineOptions options, std::function<WriterSeat()> seats, Clock& clock,
           SharedJournal::LocksFor locks = FileLocks);

  static const MessageMap& ClassMessageMap();

  void OnStart();
  void OnStop();
  void OnOpen();
  void OnOpenGiven();
  void OnLineEvent();
  // A card of the recent cards selected: the message line says it whole.
  void OnRecordSelected(std::uintptr_t commandValue, std::intptr_t row);
  void OnSystemCommand(std::uintptr_t commandValue, std::intptr_t parameter);
  void OnWindowDestroy() { run_.Abandon(); }

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMessageMap(); }
  bool InitWindow() override;
  void OnOK() override { OnStart(); }
  // Escape: a run is stopped after asking; without one the window ends.
  void OnCancel() override;

 private:
  enum class RunState { kIdle, kRunning, kStopping };

  struct WriterLine {
    std::string port;
    std::optional<CardResult> last;  // the last card's result
    bool out = false;                // set aside, or refused the list
    bool readingBack = false;        // the card in hand is being read back
  };

  std::optional<CardList> TakeList(const std::string& path);
  bool OpenList(const std::string& path);
  // After an open: Start has the focus, or the message line says the list
  // was not taken.
  void Opened(bool taken);
  // The previous run's writers, cards and counts leave the window.
  void ClearRun();
  // Whether rows whose cells changed after their card was written are to
  // be written again: asked once for all of them, no when none changed.
  bool AskRewriteChanged(const CardList& list, const JournalState& journal);
  // rowsDone_ and the list's standing from what its journal says.
  void ShowList(const CardList& list, const JournalState& journal);
  void ShowState();
  void ShowTotals();
  void Say(const std::string& text) { services().SetControlText(kIdcLineMessage, text); }
  // The writer's row in the writers list, made in port order the first time.
  int WriterRow(const std::string& port);
  void SetWriterState(const std::string& port, const std::string& state);
  void Take(const WriterProgress& progress);
  void Take(const CardRecord& record);
  void Take(const WriterEvent& event);
  void Take(const LineEnd& end);
  void Take(const FoundInDoubt& found);
  void Take(const JournalWaiting&);
  // The cards in doubt said on the message line, each not listed yet given
  // a line of its own in the recent cards; Start finishes them when every
  // row is done.
  void ShowInDoubt();
  // A line at the top of the recent cards; whole: what selecting it says.
  void AddRecordRow(std::span<const std::string> cells, std::string whole);
  bool OnlyCardsInDoubt() const { return list_ && rowsDone_ >= list_->rows.size() && !inDoubt_.empty(); }
  // Asks the run to finish the cards in progress and end.
  void StopRun();

  LineOptions options_;
  Clock& clock_;
  SharedJournal::LocksFor journalLocks_;
  LineRun run_;
  std::optional<CardList> list_;
  bool rewriteChanged_ = false;
  std::string journal_;
  RunState state_ = RunState::kIdle;
  bool closeAtEnd_ = false;
  std::vector<WriterLine> writers_;
  std::size_t rowsDone_ = 0;
  std::size_t failed_ = 0;
  std::size_t okThisRun_ = 0;
  std::int64_t startMs_ = 0;
  std::vector<CardRecord> inDoubt_;  // cards left with part of a row on them, of no live run
  std::set<std::string> inDoubtListed_;  // by IDm: those with their line in the recent cards
  std::deque<std::string> recordLines_;  // the recent cards, whole, newest first
};

}  // namespace morvik
