#include "app/line/line_window.h"

#include <algorithm>
#include <set>
#include <utility>

#include "app/layout/resources.h"
#include "app/line/line_texts.h"
#include "link/port_names.h"
#include "words/catalog.h"

namespace morvik {
namespace {

namespace texts = line_texts;
using enum Said;
using texts::Words;

// Posted to itself: the list named on the command line is opened once the
// window is on screen, so that a refusal shows over it.
constexpr unsigned WM_LINE_OPEN_GIVEN = kWmUser + 0x402;

// The cards per minute are told once the run has gone on this long.
constexpr std::int64_t kRateAfterMs = 5'000;

int PortOrder(const std::string& port) { return ComPortNumber(port).value_or(0); }

}  // namespace

CLineDlg::CLineDlg(DialogHost& host, LineOptions options, std::function<WriterSeat()> seats, Clock& clock,
                   SharedJournal::LocksFor locks)
    : CDialog(LineWindowTemplate(), host),
      options_(std::move(options)),
      clock_(clock),
      journalLocks_(std::move(locks)),
      run_(std::move(seats), [&host] { host.PostFromThread(WM_LINE_EVENT, 0, 0); }) {}

const MessageMap& CLineDlg::ClassMessageMap() {
  using Map = MessageMapFor<CLineDlg>;
  static constexpr MessageMapEntry kEntries[] = {
      Map::Command<&CLineDlg::OnStop>(kIdcLineStop),
      Map::Command<&CLineDlg::OnOpen>(kIdcLineOpen),
      Map::On<&CLineDlg::OnLineEvent>(WM_LINE_EVENT),
      Map::On<&CLineDlg::OnSystemCommand>(WM_SYSCOMMAND),
      Map::On<&CLineDlg::OnWindowDestroy>(WM_DESTROY),
      Map::On<&CLineDlg::OnOpenGiven>(WM_LINE_OPEN_GIVEN),
      Map::Command<&CLineDlg::OnRecordSelected>(kIdcLineRecords, kLvnRowSelected),
  };
  static const MessageMap map{&CDialog::ClassMessageMap(), kEntries};
  return map;
}

bool CLineDlg::InitWindow() {
  CDialog::InitWindow();
  host().SetIcon(kIdrMainIcon, IconKind::kLarge);
  host().SetIcon(kIdrMainIcon, IconKind::kSmall);
  services().SetCheck(kIdcLineFast, options_.fast ? 1 : 0);
  ShowTotals();
  if (options_.list.empty()) {
    Say(Words(kLineChooseList));
  } else {
    services().PostMessage(WM_LINE_OPEN_GIVEN, 0, 0);
  }
  return true;
}

void CLineDlg::OnOpenGiven() { Opened(OpenList(options_.list)); }

void CLineDlg::OnOpen() {
  if (state_ != RunState::kIdle) return;
  const std::optional<std::string> path = host().ChooseFileToOpen(Words(kLineOpenTitle), Words(kLineCsvFiles), "*.csv");
  if (path) Opened(OpenList(*path));
}

void CLineDlg::Opened(bool taken) {
  if (taken) {
    host().FocusControl(kIdcLineStart);
  } else {
    Say(Words(list_ ? kLineNotOpenedKept : kLineNotOpenedChoose));
  }
}

// The list at path once its problems are none and its questions are all
// answered OK; nullopt after showing why it is not taken.
std::optional<CardList> CLineDlg::TakeList(const std::string& path) {
  const std::string caption(dialogTemplate().title);
  ListReading reading = ReadCardList(path);
  if (reading.ambiguous) {
    constexpr int kCp932 = 0;
    constexpr int kUtf8 = 1;
    constexpr int kNotOpened = 2;
    const ChoiceQuestion which{texts::WhichEncoding(*reading.ambiguous), caption, texts::EncodingChoices(), kCp932,
                               kNotOpened};
    const int choice = host().AskChoice(which);
    if (choice != kCp932 && choice != kUtf8) return std::nullopt;
    reading = ReadCardList(path, choice == kCp932 ? CsvEncoding::kCp932 : CsvEncoding::kUtf8);
  }
  if (!reading.unreadable.empty() || !reading.problems.empty()) {
    std::string why = reading.unreadable;
    for (const std::string& line : ProblemLines(reading.problems, Language::kJapanese)) {
      why += (why.empty() ? "" : "\n") + line;
    }
    services().MessageBox(Words(kLineListRefused, {path, why}), caption, kMbError);
    return std::nullopt;
  }
  if (const std::vector<Saying> lookAlikes = ListLookAlikes(reading.lookAlikes); !lookAlikes.empty()) {
    std::string said;
    for (const Saying& lookAlike : lookAlikes) said += (said.empty() ? "" : "\n") + morvik::Say(lookAlike, Language::kJapanese);
    services().MessageBox(said, caption, kMbOk);
  }
  for (const RowQuestion& question : reading.questions) {
    if (services().MessageBox(texts::RowsAsked(question.lines, question.text), caption, kMbAsk) != kIdOk) {
      return std::nullopt;
    }
  }
  return std::move(reading.list);
}

bool CLineDlg::OpenList(const std::string& path) {
  const std::string caption(dialogTemplate().title);
  std::optional<CardList> list = TakeList(path);
  if (!list) return false;
  const std::string journal = options_.log.empty() ? JournalBeside(path) : options_.log;
  const JournalLook look = LookIntoJournal(journal, list->fileHash);
  if (!look.error.empty()) {
    services().MessageBox(Words(kLineJournalUnreadable, {look.error}), caption, kMbError);
    return false;
  }
  // Runs sharing a journal keep to one row a card only through its locks: a
  // journal on a file system that gives none is not used.
  Saying why{Said::kEnd};
  const std::unique_ptr<SharedJournal> shared = SharedJournal::Open(journal, journalLocks_, {}, why);
  if (!shared) {
    services().MessageBox(Words(kLineJournalUnusable, {morvik::Say(why, Language::kJapanese)}), caption, kMbError);
    return false;
  }
  ClearRun();
  list_ = std::move(list);
  journal_ = journal;
  services().SetControlText(kIdcLineFile, path);
  services().SetControlText(kIdcLineJournal, journal_);
  inDoubt_.clear();
  for (const auto& [idm, started] : look.state.cardsInDoubt()) {
    // A card a window or batch on the journal is writing now is that run's.
    if (started.run.empty() || !shared->Alive(started.run)) inDoubt_.push_back(started);
  }
  ShowList(look);
  Say(Words(rowsDone_ == list_->rows.size() ? kLineAllWritten : kLinePressStart));
  ShowInDoubt();
  return true;
}

void CLineDlg::ClearRun() {
  for (std::size_t row = writers_.size(); row > 0; --row) {
    host().DeleteListRow(kIdcLineWriters, static_cast<int>(row - 1));
  }
  writers_.clear();
  for (std::size_t row = recordLines_.size(); row > 0; --row) {
    host().DeleteListRow(kIdcLineRecords, static_cast<int>(row - 1));
  }
  recordLines_.clear();
  failed_ = 0;
  okThisRun_ = 0;
}

void CLineDlg::ShowList(const JournalLook& journal) {
  const RowSet& done = journal.state.rowsDone();
  const auto doneBefore = [&done](const PlannedRow& row) { return done.contains(row.line); };
  rowsDone_ = static_cast<std::size_t>(std::count_if(list_->rows.begin(), list_->rows.end(), doneBefore));
  services().SetControlText(kIdcLineInfo,
                            texts::ListInfo(list_->rows.size(), list_->encoding, rowsDone_, inDoubt_.size()));
  ShowTotals();
  ShowState();
}

void CLineDlg::ShowState() {
  const bool idle = state_ == RunState::kIdle;
  services().EnableControl(kIdcLineStart, idle && list_ && (rowsDone_ < list_->rows.size() || !inDoubt_.empty()));
  services().SetControlText(kIdcLineStart, texts::StartLabel(OnlyCardsInDoubt()));
  services().EnableControl(kIdcLineStop, state_ == RunState::kRunning);
  services().EnableControl(kIdcLineOpen, idle);
  services().EnableControl(kIdcLineFast, idle);
}

void CLineDlg::ShowTotals() {
  const std::size_t rows = list_ ? list_->rows.size() : 0;
  const std::size_t left = rows - std::min(rowsDone_, rows);
  const std::int64_t elapsedMs = clock_.NowMs() - startMs_;
  std::optional<double> rate;
  if (okThisRun_ > 0 && elapsedMs >= kRateAfterMs) rate = static_cast<double>(okThisRun_) * 60'000.0 / elapsedMs;
  services().SetControlText(kIdcLineDone, std::to_string(rowsDone_));
  services().SetControlText(kIdcLineLeft, std::to_string(left));
  services().SetControlText(kIdcLineFailed, std::to_string(failed_));
  services().SetControlText(kIdcLineRate, texts::Rate(rate));
  const bool timeToTell = left > 0 && rate.has_value();
  const std::optional<double> minutesLeft =
      timeToTell ? std::optional(static_cast<double>(left) / *rate) : std::nullopt;
  services().SetControlText(kIdcLineTimeLeft, texts::TimeLeft(minutesLeft));
  host().SetProgress(kIdcLineProgress, static_cast<int>(rowsDone_), static_cast<int>(rows));
}

void CLineDlg::OnStart() {
  if (state_ != RunState::kIdle || !list_ || (rowsDone_ >= list_->rows.size() && inDoubt_.empty())) return;
  const std::string caption(dialogTemplate().title);
  JournalLook look(list_->fileHash);
  const LineSetup setup{options_.ports, services().GetCheck(kIdcLineFast) == 1, journal_, journalLocks_};
  if (!run_.Start(*list_, setup, look)) {
    services().MessageBox(Words(kLineJournalUnusable, {look.error}), caption, kMbError);
    return;
  }
  state_ = RunState::kRunning;
  okThisRun_ = 0;
  startMs_ = clock_.NowMs();
  for (std::size_t row = writers_.size(); row > 0; --row) {
    host().DeleteListRow(kIdcLineWriters, static_cast<int>(row - 1));
  }
  writers_.clear();
  inDoubt_ = run_.InDoubtNow();
  ShowList(look);
  host().FocusControl(kIdcLineRecords);
  Say(Words(options_.ports.empty() ? kLineLookingOnAllPorts : kLineConnecting));
  ShowInDoubt();
}

void CLineDlg::OnStop() {
  if (state_ == RunState::kRunning) StopRun();
}

void CLineDlg::StopRun() {
  run_.Stop();
  state_ = RunState::kStopping;
  ShowState();
  Say(Words(kLineStopping));
}

void CLineDlg::OnCancel() {
  if (state_ == RunState::kIdle) {
    EndDialog(kDialogCancelled);
    return;
  }
  if (state_ != RunState::kRunning) return;
  const int answer = services().MessageBox(Words(kLineAskStop), dialogTemplate().title, kMbAsk);
  if (answer == kIdOk && state_ == RunState::kRunning) StopRun();
}

// The close box while cards are written: they finish first, then the window goes.
void CLineDlg::OnSystemCommand(std::uintptr_t commandValue, std::intptr_t parameter) {
  if ((commandValue & kSysCommandMask) != kScClose || state_ == RunState::kIdle) {
    DefaultWindowProc({WM_SYSCOMMAND, commandValue, parameter});
    return;
  }
  closeAtEnd_ = true;
  if (state_ == RunState::kRunning) StopRun();
  Say(Words(kLineClosingAfterCard));
}

void CLineDlg::OnLineEvent() {
  std::optional<LineEvent> event = run_.TakeEvent();
  if (event) std::visit([this](const auto& taken) { Take(taken); }, *event);
}

void CLineDlg::OnRecordSelected(std::uintptr_t, std::intptr_t row) {
  if (row >= 0 && static_cast<std::size_t>(row) < recordLines_.size()) Say(recordLines_[static_cast<std::size_t>(row)]);
}

int CLineDlg::WriterRow(const std::string& port) {
  const auto found =
      std::find_if(writers_.begin(), writers_.end(), [&port](const WriterLine& w) { return w.port == port; });
  if (found != writers_.end()) return static_cast<int>(found - writers_.begin());
  const auto at = std::find_if(writers_.begin(), writers_.end(),
                               [&port](const WriterLine& w) { return PortOrder(w.port) > PortOrder(port); });
  const int row = static_cast<int>(at - writers_.begin());
  WriterLine line;
  line.port = port;
  writers_.insert(at, std::move(line));
  const std::string cells[] = {port, "", "", "", ""};
  host().InsertListRow(kIdcLineWriters, row, cells);
  return row;
}

void CLineDlg::SetWriterState(const std::string& port, const std::string& state) {
  host().SetListCell(kIdcLineWriters, WriterRow(port), kWriterState, state);
}

void CLineDlg::Take(const WriterProgress& progress) {
  if (progress.step == WriterProgress::Step::kFinished) return;
  const int row = WriterRow(progress.port);
  WriterLine& writer = writers_[static_cast<std::size_t>(row)];
  writer.readingBack = progress.step == WriterProgress::Step::kReadingBack;
  if (progress.step == WriterProgress::Step::kStarting) {
    host().SetListCell(kIdcLineWriters, row, kWriterIdm, progress.idm);
    host().SetListCell(kIdcLineWriters, row, kWriterRow, texts::RowOf(progress.line, ""));
  }
  const bool after = progress.step == WriterProgress::Step::kWaitingForCard && writer.last;
  SetWriterState(progress.port, after ? texts::WaitingAfter(*writer.last) : texts::WriterState(progress));
}

void CLineDlg::Take(const CardRecord& record) {
  std::erase_if(inDoubt_, [&record](const CardRecord& started) { return started.idm == record.idm; });
  const int row = WriterRow(record.port);
  WriterLine& writer = writers_[static_cast<std::size_t>(row)];
  writer.last = record.result;
  const bool readingBack = std::exchange(writer.readingBack, false);
  host().SetListCell(kIdcLineWriters, row, kWriterRow, texts::RowOf(record.row, record.id));
  SetWriterState(record.port, texts::Result(record.result));
  const std::string cells[] = {record.row > 0 ? std::to_string(record.row) : "", record.id, record.idm,
                               texts::Result(record.result), texts::Reason(record, readingBack)};
  host().InsertListRow(kIdcLineRecords, 0, cells);
  recordLines_.push_front(texts::RecordLine(record, readingBack));
  if (recordLines_.size() > static_cast<std::size_t>(kShownRecords)) {
    recordLines_.pop_back();
    host().DeleteListRow(kIdcLineRecords, kShownRecords);
  }
  if (record.result == CardResult::kOk) {
    ++okThisRun_;
    if (record.row > 0) ++rowsDone_;
    Say(texts::WrittenMessage(record));
  } else {
    ++failed_;
    Say(texts::FailureMessage(record, readingBack));
  }
  ShowTotals();
  ShowState();
}

void CLineDlg::Take(const WriterEvent& event) {
  const bool scanning = options_.ports.empty();
  if (event.kind == WriterEvent::Kind::kNotAnswering && scanning) return;  // 31 ports: said once at the start
  const int row = WriterRow(event.port);
  if (event.kind == WriterEvent::Kind::kFound || event.kind == WriterEvent::Kind::kBack) {
    host().SetListCell(kIdcLineWriters, row, kWriterCid, event.cid);
  }
  if (event.kind == WriterEvent::Kind::kSetAside || event.kind == WriterEvent::Kind::kContentRefused) {
    writers_[static_cast<std::size_t>(row)].out = true;
  }
  if (const std::string state = texts::StateAfter(event); !state.empty()) SetWriterState(event.port, state);
  Say(texts::EventMessage(event));
}

void CLineDlg::Take(const FoundInDoubt& found) {
  inDoubt_.push_back(found.started);
  ShowInDoubt();
}

void CLineDlg::ShowInDoubt() {
  if (!inDoubt_.empty()) Say(texts::CardsInDoubt(inDoubt_));
}

void CLineDlg::Take(const JournalWaiting&) { Say(Words(kLineJournalWaiting)); }

void CLineDlg::Take(const LineEnd& end) {
  state_ = RunState::kIdle;
  // Rows other runs on the journal wrote are done here too.
  rowsDone_ = list_->rows.size() - std::min(end.rowsLeft, list_->rows.size());
  inDoubt_ = end.inDoubt;
  for (const WriterLine& writer : writers_) {
    if (!writer.out) SetWriterState(writer.port, texts::Ended());
  }
  const std::size_t left = list_->rows.size() - std::min(rowsDone_, list_->rows.size());
  if (end.journalLost) {
    Say(Words(kLineJournalLost, {*end.journalLost}));
  } else if (!end.inDoubt.empty()) {
    Say(texts::CardsInDoubt(end.inDoubt));
  } else if (left == 0) {
    Say(Words(kLineAllRowsWritten));
  } else {
    Say(Words(kLineStoppedRowsLeft, {std::to_string(left)}));
  }
  ShowTotals();
  ShowState();
  host().FocusControl(left > 0 || !inDoubt_.empty() ? kIdcLineStart : kIdcLineOpen);
  if (closeAtEnd_) EndDialog(kDialogCancelled);
}

}  // namespace morvik
