#include "cli/production_commands.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <system_error>

#include "cli/card_image_options.h"
#include "cli/card_list.h"
#include "cli/image_file.h"
#include "cli/frame_trace.h"
#include "cli/interrupt.h"
#include "cli/option_table.h"
#include "cli/record_printer.h"
#include "cli/tally_words.h"
#include "cli/terminal_window.h"
#include "files/file_access.h"
#include "link/system_serial.h"
#include "production/batch_runner.h"
#include "production/card_history.h"
#include "production/journal.h"
#include "production/other_runs.h"
#include "production/shared_journal.h"
#include "production/record_json.h"
#include "production/rows_to_write.h"
#include "production/run_plan.h"

namespace morvik {
namespace {

std::vector<WriterPlan> PlanWriters(const ProductionOptions& options) {
  std::vector<WriterPlan> plans;
  for (const std::string& port : options.ports) plans.push_back({{port}, true});
  if (!options.ports.empty()) return plans;
  WriterPlan scan{{}, true};
  for (int com = 1; com <= kComPortCount; ++com) {
    const std::string port = "COM" + std::to_string(com);
    if (options.all) plans.push_back({{port}, false});
    scan.ports.push_back(port);
  }
  if (!options.all) plans.push_back(scan);
  return plans;
}

std::function<WriterSeat()> SystemSeats() {
  return [] {
    WriterSeat seat;
    seat.clock = std::make_unique<SystemClock>();
    seat.platform = MakeSystemSerialPlatform();
    return seat;
  };
}

std::string PortsLooked(const ProductionOptions& options) {
  if (options.ports.empty()) return "COM1-COM" + std::to_string(kComPortCount);
  std::string ports;
  for (const std::string& port : options.ports) ports += (ports.empty() ? "" : ", ") + port;
  return ports;
}

// The journal of --log, shared with every other run that appends to it;
// nullptr without --log. false after saying why it cannot be used: a journal
// without locks is never written, as another run could write a row twice.
bool OpenJournal(const std::string& path, CliEnvironment& env, std::unique_ptr<SharedJournal>& journal,
                 const std::function<void()>& waiting) {
  if (path.empty()) return true;
  Saying why{Said::kEnd};
  journal = SharedJournal::Open(path, env.journalLocks ? env.journalLocks : SharedJournal::LocksFor(FileLocks),
                                waiting, why);
  if (!journal) env.err << kToolSays << Say(why, env.language) << "\n";
  return journal != nullptr;
}

// "card 0123456789ABCDEF may hold part of row 2 (A), started on COM3 at ...";
// `gone` when the run that started it has ended.
std::string InDoubtText(const CardRecord& started, Language language, bool gone = false) {
  return Say({Said::kCardInDoubt,
              {started.idm, Say(RowSaying(started.row, started.id), language), started.port, started.time,
               gone ? Say({Said::kRunGone}, language) : ""}},
             language);
}

// What a run from a list says at its end beyond the tallies.
void SayRowsLeft(const ListPlan& plan, const CardsInDoubt& inDoubt, std::ostream& err, Language language) {
  err << kToolSays
      << Say({Said::kRowsDoneLeft, {std::to_string(plan.rowsDone()), std::to_string(plan.rowsLeft())}}, language)
      << "\n";
  for (const CardRecord& card : inDoubt.Left()) {
    const Saying notSeen{Said::kCardNotSeen,
                         {card.idm, Say(RowSaying(card.row, card.id), language), card.port, card.time}};
    err << kToolSays << Say(notSeen, language) << "\n";
  }
}

// {"record":"tallies", the counts of all writers, "writers":[each one's], and
// for a list "rows_done" and "rows_left"}: the last line of a run's JSON.
std::string TalliesJson(std::span<const WriterTally> tallies, const ListPlan* list) {
  JsonObject json{{"record", "tallies"}};
  JsonObject total = TallyObject(TotalOf(tallies));
  total.erase("port");
  json.update(total);
  JsonObject& writers = json["writers"] = JsonObject::array();
  for (const WriterTally& tally : tallies) writers.push_back(TallyObject(tally));
  if (list != nullptr) {
    json["rows_done"] = list->rowsDone();
    json["rows_left"] = list->rowsLeft();
  }
  return JsonLine(json);
}

// The sinks every writer reports to, the progress among them at a terminal.
BatchContext ContextFor(const CliOptions& options, const CliEnvironment& env, RecordPrinter& printer,
                        const ListPlan* list) {
  BatchContext context;
  // A record that could not be written stops the run as a first interrupt does.
  context.stopAfterCard = [&printer] { return InterruptCount() >= 1 || printer.outputFailed(); };
  context.stopNow = [] { return InterruptCount() >= 2; };
  context.starting = [&printer](const CardRecord& record) { return printer.Started(record); };
  context.report = [&printer](const CardRecord& record) { printer.Print(record); };
  context.event = [&printer, announce = env.errIsTerminal, language = env.language](const WriterEvent& event) {
    if (const std::optional<std::string> line = WriterEventLine(event, announce, language)) {
      printer.Note(std::string(kToolSays) + *line);
    }
  };
  if (env.errIsTerminal) {
    printer.ShowProgress(env.clock, [list]() -> std::optional<ProgressBoard::Rows> {
      if (list == nullptr) return std::nullopt;
      return ProgressBoard::Rows{list->rowsDone(), list->rowsLeft()};
    });
    context.progress = [&printer](const WriterProgress& progress) { printer.Progress(progress); };
  }
  if (options.trace) {
    context.traceFor = [&printer](Clock& clock) {
      return std::make_unique<FrameTrace>(clock, [&printer](const std::string& line) { printer.TraceLine(line); });
    };
  }
  context.verify = options.production.verify;
  context.fast = options.fast;
  return context;
}

// Each port tried and why it gave no writer, then what to do (or the ports
// looked at, when none of them had a reason to mend). The run's status.
ExitCode SayNoWriter(const BatchOutcome& outcome, const ProductionOptions& production, std::ostream& err,
                     Language language) {
  std::vector<TriedPort> told;
  for (const TriedPort& tried : outcome.tried) {
    // A scan passes by the port names that lead nowhere; a port named is told.
    if (tried.problem == PortProblem::kNoSuchPort && production.ports.empty()) continue;
    told.push_back(tried);
  }
  const MessageCause cause = NoWriterCause(told, language);
  for (const std::string& line : cause.lines) err << kToolSays << line << "\n";
  if (!cause.conclusion.empty()) err << kToolSays << cause.conclusion << "\n";
  err << kToolSays << Say({Said::kNoWriterOn, {PortsLooked(production)}}, language) << "\n";
  return cause.status.value_or(ExitCode::kNoWriter);
}

// The journal a run writes and the other runs sharing it.
struct JournalShare {
  SharedJournal* journal = nullptr;  // none without --log
  OtherRuns* others = nullptr;       // none when the run does not read what others append
  // A writer waits for the journal's lock: said by whoever says things now.
  std::function<void(const std::string&)> say;
};

// What is the same in every run: the writers, the records, the interrupts,
// the progress; `list` is the plan when the run is from a list.
ExitCode RunProductionLine(const CliOptions& options, CliEnvironment& env, RunPlan& plan, const ListPlan* list,
                           DoneCards& done, CardsInDoubt& inDoubt, const std::function<void()>& sayAtEnd,
                           JournalShare& share, bool finishInDoubt = false) {
  const ProductionOptions& production = options.production;
  std::optional<JournalWriter> journal;
  if (SharedJournal* shared = share.journal) {
    journal = JournalWriter::Via([shared](std::string_view line, int& reason) { return shared->Append(line, reason); },
                                 [shared](int& reason) { return shared->Close(reason); });
  }
  InstallInterruptHandlers(InterruptMode::kCount, env.language);
  RecordPrinter printer(env.out, production.json, std::move(journal), production.log, env.err, env.language);
  BatchContext context = ContextFor(options, env, printer, list);
  if (share.journal != nullptr) ShareJournal(context, *share.journal, share.others);
  context.finishInDoubt = finishInDoubt;
  share.say = [&printer](const std::string& text) { printer.Note(std::string(kToolSays) + text); };
  context.plan = &plan;
  context.done = &done;
  context.inDoubt = &inDoubt;
  const BatchOutcome outcome =
      RunProduction(PlanWriters(production), context, env.writerSeat ? env.writerSeat : SystemSeats());
  printer.EndProgress();
  const bool journalClosed = printer.CloseJournal();
  share.say = [&env](const std::string& text) { env.err << kToolSays << text << "\n"; };
  if (!outcome.anyWriter) {
    return SayNoWriter(outcome, production, env.err, env.language);
  }
  for (const WriterTally& tally : outcome.tallies) env.err << TallyLine(tally, false, env.language) << "\n";
  env.err << TallyLine(TotalOf(outcome.tallies), true, env.language) << "\n";
  if (production.json && !printer.outputFailed()) env.out << TalliesJson(outcome.tallies, list) << "\n";
  sayAtEnd();
  if (printer.outputFailed()) env.err << kToolSays << printer.LossText() << "\n";
  return BatchExitStatus(outcome.tallies, InterruptCount() > 0, printer.outputFailed() || !journalClosed);
}

// Each line on stderr, after the list's name.
void SayLines(const std::string& path, const std::vector<std::string>& lines, std::ostream& err) {
  for (const std::string& line : lines) err << kToolSays << path << ": " << line << "\n";
}

// Each question the rows raise, asked once for every row that raises it (or
// answered by --yes or --no); false once one is answered Cancel.
bool AskRowQuestions(const std::string& path, const std::vector<RowQuestion>& questions, CliSession& session) {
  for (const RowQuestion& question : questions) {
    const OperatorMessage asked(path + ": " + RowQuestionText(question, session.env.language), "", kMbQuestion, {MessageKind::kQuestion, {}});
    if (session.window.ShowMessage(asked) != kIdOk) return false;
  }
  return true;
}

// The list of --rows, every row checked and composed once, its look-alikes
// said and its questions asked; nullopt after naming every bad row, or after
// a question answered Cancel.
std::optional<CardList> ReadRows(const CliOptions& options, CliSession& session) {
  CliEnvironment& env = session.env;
  const std::string& path = options.production.rows;
  ListReading reading = ReadCardList(options, env.in);
  if (!reading.unreadable.empty()) {
    env.err << kToolSays << reading.unreadable << "\n";
    return std::nullopt;
  }
  SayLines(path, LookAlikeLines(reading.lookAlikes, env.language), env.err);
  if (const std::string blank = BlankRowsText(reading.blankLines, env.language); !blank.empty()) SayLines(path, {blank}, env.err);
  SayLines(path, ProblemLines(reading.problems, env.language), env.err);
  if (!reading.list || !AskRowQuestions(path, reading.questions, session)) return std::nullopt;
  return std::move(reading.list);
}

// "1 row", "3 rows".
std::string RowsText(std::size_t count, Language language) {
  return Say(count == 1 ? Saying{Said::kOneRow} : Saying{Said::kRows, {std::to_string(count)}}, language);
}

// What reading a journal skipped or could not take, said by the journal's name.
Saying CutShortSaying(const std::string& path, std::size_t count) {
  if (count == 1) return {Said::kJournalOneCutShort, {path}};
  return {Said::kJournalCutShort, {path, std::to_string(count)}};
}

std::string JournalRefusal(const std::string& path, const std::string& error, const JournalRead& read,
                           Language language) {
  return error.empty() ? Say({Said::kJournalBadLine, {path, std::to_string(read.badLine)}}, language) : error;
}

// The journal to resume is not there yet, and this run's --log starts it: the
// first run of a script that always resumes its own log.
bool NoJournalYet(const ProductionOptions& production) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path resume = PathFromUtf8(production.resume);
  if (production.log.empty() || fs::symlink_status(resume, error).type() != fs::file_type::not_found) return false;
  const fs::path log = PathFromUtf8(production.log);
  return fs::weakly_canonical(resume, error) == fs::weakly_canonical(log, error) && !error;
}

// What the journal of --resume says of this list; nullopt after saying why
// it cannot be taken (a file that is no journal, or cannot be read).
// A journal this run also appends to (shared) is read through it: from then
// on the run reads only what other runs append.
// noJournalYet is decided before this run's --log creates the file.
std::optional<JournalState> ReadResumedJournal(const CliOptions& options, const CardList& list, CliEnvironment& env,
                                               SharedJournal* shared, bool noJournalYet) {
  JournalState state(list.fileHash, list.name, list.rows);
  const std::string& path = options.production.resume;
  if (path.empty()) return state;
  if (noJournalYet) {
    env.err << kToolSays << Say({Said::kJournalNone, {path}}, env.language) << "\n";
    if (shared == nullptr) return state;
  }
  std::string error;
  const JournalTake take = [&state](const JournalEntry& entry) { state.Take(entry); };
  const JournalRead read = shared != nullptr ? shared->CatchUp(take) : ReadJournalFile(path, take, error);
  if (!error.empty() || read.badLine != 0) {
    env.err << kToolSays << JournalRefusal(path, error, read, env.language) << "\n";
    return std::nullopt;
  }
  if (read.cutShort > 0) env.err << kToolSays << Say(CutShortSaying(path, read.cutShort), env.language) << "\n";
  if (const std::size_t others = state.otherRecords(); others > 0) {
    const Saying skipped = others == 1 ? Saying{Said::kJournalOneOtherList, {path}}
                                       : Saying{Said::kJournalOtherLists, {path, std::to_string(others)}};
    env.err << kToolSays << Say(skipped, env.language) << "\n";
  }
  return state;
}

// "3 rows (UTF-8), 1 done before", or for a list edited since its cards were
// written what the edit changed: "2 rows added, 1 changed since written (not
// written again), 3 done".
std::string ListStanding(const CardList& list, const JournalState& journal, bool rewriteChanged, Language language) {
  const ListChanges changes = journal.changes();
  const std::size_t notReadBack = journal.rowsNotReadBack();
  const std::string readBack =
      notReadBack > 0 ? Say({Said::kListNotReadBack, {std::to_string(notReadBack)}}, language) : "";
  const std::string rows = RowsText(list.rows.size(), language);
  const std::string encoding = Say({EncodingSaid(list.encoding)}, language);
  const std::string done = std::to_string(changes.done);
  if (!changes.edited && changes.changed == 0) {
    return Say({Said::kListStanding, {rows, encoding, done, readBack}}, language);
  }
  const Said again = rewriteChanged ? Said::kWrittenAgain : Said::kNotWrittenAgain;
  std::string text = Say({Said::kListEdited,
                          {rows, encoding, RowsText(changes.added, language), std::to_string(changes.changed),
                           Say({again}, language), done}},
                         language) +
                     readBack;
  if (changes.gone > 0) text += Say({Said::kListGone, {RowsText(changes.gone, language)}}, language);
  return text;
}

// Each row whose cells changed after its card was written, with that card.
void SayChangedRows(const CardList& list, const JournalState& journal, bool rewriteChanged, std::ostream& err,
                    Language language) {
  const std::string again = Say({rewriteChanged ? Said::kWrittenAgain : Said::kNotWrittenAgainHint}, language);
  for (const auto& [index, card] : journal.rowsChanged()) {
    const PlannedRow& row = list.rows[index];
    const Saying changed{Said::kRowChanged, {std::to_string(row.line), row.id, card.idm, card.time, again}};
    err << kToolSays << Say(changed, language) << "\n";
  }
}

// Whether the run reads the journal it appends to: runs that share it.
bool ResumesItsOwnLog(const ProductionOptions& production) {
  return !production.log.empty() && !production.resume.empty() && SameFile(production.log, production.resume);
}

ExitCode RunRows(const CliOptions& options, CliSession& session) {
  CliEnvironment& env = session.env;
  std::optional<CardList> list = ReadRows(options, session);
  if (!list) return ExitCode::kUsage;
  JournalShare share;
  std::unique_ptr<SharedJournal> shared;
  const auto waiting = [&share, &options, &env] {
    share.say(Say({Said::kJournalWaiting, {options.production.log}}, env.language));
  };
  share.say = [&env](const std::string& text) { env.err << kToolSays << text << "\n"; };
  const bool noJournalYet = NoJournalYet(options.production);
  if (!OpenJournal(options.production.log, env, shared, waiting)) return ExitCode::kOutputLost;
  const bool sharing = ResumesItsOwnLog(options.production);
  std::optional<JournalState> journal =
      ReadResumedJournal(options, *list, env, sharing ? shared.get() : nullptr, noJournalYet);
  if (!journal) return ExitCode::kUsage;
  const bool rewrite = options.production.rewriteChanged;
  env.err << kToolSays << options.production.rows << ": " << ListStanding(*list, *journal, rewrite, env.language)
          << "\n";
  SayChangedRows(*list, *journal, rewrite, env.err, env.language);
  const std::optional<int> count = options.production.count;
  const RowSet notToWrite = LinesNotToWrite(*journal, list->rows, rewrite);
  DoneCards done(journal->TakeCardsDone());
  const std::map<std::string, CardRecord> started = journal->TakeCardsInDoubt();
  // The journal's own row finder goes before the plan makes its own: a large
  // list's rows are never looked up twice over at once.
  journal.reset();
  ListPlan plan(std::move(list->rows), list->fileHash, std::move(list->rowImage), notToWrite,
                count ? std::optional<std::size_t>(static_cast<std::size_t>(*count)) : std::nullopt, list->name);
  CardsInDoubt inDoubt;
  OtherRuns others(&plan, done, inDoubt, [&shared](const std::string& run) { return shared->Alive(run); },
                   [&share, &env](const CardRecord& started) { share.say(InDoubtText(started, env.language, true)); });
  SortStartedCards(started, sharing ? shared.get() : nullptr, others, inDoubt,
                   [&env](const CardRecord& started) { env.err << kToolSays << InDoubtText(started, env.language) << "\n"; });
  if (sharing) share.others = &others;
  share.journal = shared.get();
  // A list done whole with cards left in doubt: the run finishes them.
  const bool onlyDoubts = plan.rowsLeft() == 0 && !inDoubt.empty();
  if (onlyDoubts) env.err << kToolSays << Say({Said::kOnlyDoubts}, env.language) << "\n";
  return RunProductionLine(options, env, plan, &plan, done, inDoubt, [&] { SayRowsLeft(plan, inDoubt, env.err, env.language); },
                           share, onlyDoubts);
}

// Whether a record may be of a card the filter shows: the card, row and id
// a card's records share are matched as they are read, so that a long
// journal is not held whole for a few of its cards.
bool MayMatch(const HistoryFilter& filter, const CardRecord& record) {
  return (!filter.idm || record.idm == *filter.idm) && (!filter.row || record.row == *filter.row) &&
         (!filter.id || record.id == *filter.id);
}

}  // namespace

// The content (an image file, or every row of a list) is checked, and its
// questions answered, before any writer is touched.
ExitCode RunBatch(const CliOptions& options, CliSession& session) {
  if (!options.production.rows.empty()) return RunRows(options, session);
  OneImagePlan::ImageFor imageFor;
  if (options.image) {
    const ImageRead read = ReadCardImageFile(*options.image, session.env.in, session.env.language);
    const std::optional<std::string> refusal =
        read.image ? ImageRefusal(DecodeCard(*read.image), options.confirm == true,
                                   options.given.contains("--force"), session.env.language)
                   : std::nullopt;
    if (!read.image || refusal) {
      session.env.err << kToolSays << (refusal ? *options.image + ": " + *refusal : read.error) << "\n";
      return ExitCode::kUsage;
    }
    imageFor = [image = *read.image](CustomerId) { return image; };
  } else {
    if (!BuildCardImage(options, {0, 0}, session.window)) return ExitCode::kUsage;
    imageFor = [&options](CustomerId cid) { return QuietImage(options, cid); };
  }
  OneImagePlan plan(std::move(imageFor), options.production.count);
  DoneCards done;
  CardsInDoubt inDoubt;
  JournalShare share;
  std::unique_ptr<SharedJournal> shared;
  share.say = [&session](const std::string& text) { session.env.err << kToolSays << text << "\n"; };
  const auto waiting = [&share, &options, &session] {
    share.say(Say({Said::kJournalWaiting, {options.production.log}}, session.env.language));
  };
  if (!OpenJournal(options.production.log, session.env, shared, waiting)) return ExitCode::kOutputLost;
  share.journal = shared.get();
  return RunProductionLine(options, session.env, plan, nullptr, done, inDoubt, [] {}, share);
}

// Every journal whole before a line is printed: one that cannot be read, or
// holds a line that is no record, ends the command with nothing printed.
ExitCode RunHistory(const CliOptions& options, CliSession& session) {
  CardHistory history;
  for (const std::string& path : options.operands) {
    std::string error;
    const JournalRead read = ReadJournalFile(path, [&](const JournalEntry& e) {
      if (MayMatch(options.history, e.record)) history.Take(e);
    }, error);
    const Language language = session.env.language;
    if (!error.empty() || read.badLine != 0) {
      session.env.err << kToolSays << JournalRefusal(path, error, read, language) << "\n";
      return ExitCode::kUsage;
    }
    if (read.cutShort > 0) session.env.err << kToolSays << Say(CutShortSaying(path, read.cutShort), language) << "\n";
    history.EndOfJournal();
  }
  const bool json = options.format == "json";
  for (const CardHistoryEntry& entry : history.Entries()) {
    if (Matches(options.history, entry)) session.env.out << (json ? HistoryJson(entry) : HistoryText(entry, session.env.language)) << "\n";
  }
  return ExitCode::kOk;
}

ExitCode BatchExitStatus(std::span<const WriterTally> tallies, bool interrupted, bool outputFailed) {
  if (outputFailed) return ExitCode::kOutputLost;
  if (interrupted) return ExitCode::kInterrupted;
  const WriterTally total = TotalOf(tallies);
  bool problem = tallies.empty();
  for (const WriterTally& t : tallies) problem = problem || !t.problem.empty();
  if (problem || total.writeFailed + total.removed + total.interrupted + total.writerLost > 0) {
    return ExitCode::kCardFailed;
  }
  return total.verifyFailed > 0 ? ExitCode::kVerifyMismatch : ExitCode::kOk;
}

}  // namespace morvik
