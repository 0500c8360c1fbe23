#include "cli/command_table.h"

#include <cstdlib>
#include <filesystem>
#include <ostream>

#include "cli/card_commands.h"
#include "cli/card_image_options.h"
#include "cli/option_table.h"
#include "cli/production_commands.h"
#include "files/file_access.h"

namespace morvik {
namespace {

std::vector<std::string_view> Joined(std::initializer_list<std::vector<std::string_view>> groups) {
  std::vector<std::string_view> names;
  for (const auto& group : groups) names.insert(names.end(), group.begin(), group.end());
  return names;
}


}  // namespace

// The keywords the texts may carry, for the help of the commands that compose.
#define KEYWORD_HELP                                                                   \
  "Keywords in --url, --title and --body: [IM] the card's IDm, [CT] a counter right\n" \
  "after [IM], [CI] the customer ID, [UI] the terminal's ID (left as typed)."

std::span<const CommandSpec> Commands() {
  static const std::vector<std::string_view> writer = WriterOptionNames();
  static const std::vector<std::string_view> content = ContentOptionNames();
  static const std::vector<CommandSpec> commands = {
      {"connect", "", "find the writer; print its port and version report",
       "Looks for the card writer on COM1-COM31 (or on --port only), runs its start-up\n"
       "sequence and prints the port and the writer's version report.",
       writer, RunConnect, kOpensPorts},
      {"ports",
       "",
       "list the ports COM1-COM31 and what answers on each",
       "One line for each port that maps to a device: the port, the device and its state:\n"
       "writer with its version report, or why not, in the words connect and batch use:\n"
       "no permission (join the group ...), in use by another program, no such port,\n"
       "not a serial device, nothing answered.",
       {"--trace", "--fast", "--format"},
       RunPorts, kOpensPorts},
      {"image", "", "compose a card offline and print it (no writer needed)",
       "Composes exactly the card write puts on a card with the same options and prints\n"
       "it. Card kinds: content card; initialisation card (--init, or --service-cid N,\n"
       "which is then its customer ID); read card (--read-mark, customer ID from\n"
       "--service-cid); UID setting card (--uid-card N). A content card carries the\n"
       "writer's customer ID: give it with --cid.\n" KEYWORD_HELP,
       Joined({content, {"--cid", "--format", "--out"}}), RunImage},
      {"decode",
       "FILE|-",
       "say what a card image means",
       "Reads a card image (the 256 bytes, or 512 hexadecimal digits) from FILE or from\n"
       "standard input (-) and prints what it means: the kind, customer ID, URL, popup,\n"
       "mail, keyword blanks, each setting with its item text, and the check byte.\n"
       "json: the 256 bytes as 512 hexadecimal digits (\"image\") and the decoded fields\n"
       "(\"decoded\").",
       {"--format"},
       RunDecode},
      {"uid", "", "print the IDm of the card on the writer",
       "Detects the card on the writer and prints its IDm (16 hexadecimal digits).", writer,
       RunUid, kOpensPorts},
      {"write", "", "write a card composed from the options, or --image FILE",
       "Writes a card: the one image shows for the same options, or with --image exactly\n"
       "the 256 bytes of FILE. The content is checked before the writer is looked "
       "for.\n" KEYWORD_HELP,
       Joined({content, {"--image", "--force", "--verify"}, writer}), RunWrite, kOpensPorts | kWritesCards},
      {"clear", "", "erase the card on the writer (64 zero blocks); needs --yes",
       "Writes 64 zero blocks to the card on the writer. It erases the card: --yes is needed.",
       Joined({{"--yes"}, writer}), RunClear, kOpensPorts | kWritesCards},
      {"dump", "", "read the whole card and print it",
       "Reads the card's 64 blocks and prints them. json: the IDm, the 256 bytes as 512\n"
       "hexadecimal digits (\"image\") and the decoded fields (\"decoded\").",
       Joined({{"--out"}, writer}), RunDump, kOpensPorts},
      {"batch", "",
       "write and read back every new card put on the writer(s), one line per card",
       "Writes the content to every new card put on the writer(s), reads each card back\n"
       "and prints one line per card. The content is checked, and its questions\n"
       "answered, before any writer is touched. A card written and read back ok is\n"
       "never written again; a card that failed is written again once it has been\n"
       "taken off and put on again. A writer that is lost, or does not answer at the\n"
       "start, is looked for on its port every second. Ctrl-C once: every writer\n"
       "finishes its card, then the run ends; twice: each stops at the next block.\n"
       "A record that cannot be written to stdout or --log ends the run the same way\n"
       "and is given on stderr. Exit status: 0 all ok, 1 a card failed or a writer\n"
       "was not back at the end, 3 no writer at all, 5 only verify failures, 6 a\n"
       "record not written, 130 interrupted.\n"
       "With --rows FILE each card takes the next row of a CSV file whose header names\n"
       "content options without -- (url, popup, mail, ..., uid-card) and may have an\n"
       "id column; a non-empty cell overrides the option given here. A row has a cell\n"
       "for every column; a quoted cell may hold commas, doubled quotes and, in the id\n"
       "column only, line ends. Every row is checked first, and every bad row named;\n"
       "a row is done once its card is written and read back ok, and --resume LOG\n"
       "skips the rows an earlier run's log records as done. A row is known by its\n"
       "id (ids must differ), else by its cells: rows added to the list or moved are\n"
       "found, and a row whose cells changed after its card was written is named and\n"
       "written again only with --rewrite-changed. Rows of only commas are skipped.\n"
       "Runs that name one journal as --log and --resume share the list: each row\n"
       "is written once, under a lock on the journal.\n" KEYWORD_HELP,
       Joined({content, ProductionOptionNames()}), RunBatch, kOpensPorts | kWritesCards},
      {"history", "LOG...", "which row is on which card, from batch's journals",
       "Reads the journals batch --log writes and prints one line per card, oldest first:\n"
       "when it was started, the writer, the IDm, the row and its id, and the result. A\n"
       "card started and left without a result (the run was killed) is in doubt: it may\n"
       "hold part of its row. --format json prints one object per line.",
       {"--idm", "--id", "--row", "--result", "--since", "--format"},
       RunHistory},
      {"verify", "", "compare the card on the writer with the content options",
       "Reads the card on the writer and compares it with the card the content options\n"
       "compose: prints the IDm and ok, or the first differing block (exit status 5).",
       Joined({content, writer}), RunVerify, kOpensPorts},
  };
  return commands;
}


namespace {

// Every port would look absent with a folder of port links that is not there.
std::optional<std::string> PortDirectoryProblem() {
#ifdef _WIN32
  return std::nullopt;
#else
  const char* directory = std::getenv("MORVIK_PORT_DIR");
  if (directory == nullptr || *directory == '\0') return std::nullopt;
  std::error_code error;
  if (std::filesystem::is_directory(directory, error)) return std::nullopt;
  return "MORVIK_PORT_DIR=" + std::string(directory) + ": " +
         (error ? SystemReason(error.default_error_condition().value()) : std::string("not a folder"));
#endif
}

// An output that names one of the command's inputs would overwrite it or
// append to it: refused before anything is read or written.
std::optional<std::string> OutputOverInput(const CliOptions& options) {
  const std::pair<std::string_view, std::string> outputs[] = {{"--out", options.out.value_or("")},
                                                              {"--log", options.production.log}};
  const std::pair<std::string_view, std::string> inputs[] = {{"--rows", options.production.rows},
                                                             {"--image", options.image.value_or("")}};
  for (const auto& [output, outputName] : outputs) {
    for (const auto& [input, inputName] : inputs) {
      if (outputName.empty() || inputName.empty() || !SameFile(outputName, inputName)) continue;
      return std::string(output) + " names the file " + std::string(input) + " reads: " + outputName;
    }
  }
  return std::nullopt;
}

ExitCode RunParsed(const ParseResult& parsed, CliEnvironment& environment) {
  if (!parsed.options) {
    (parsed.status == ExitCode::kOk ? environment.out : environment.err) << parsed.text;
    return parsed.status;
  }
  for (const CommandSpec& command : Commands()) {
    if (command.name != parsed.options->command) continue;
    std::optional<std::string> problem = OutputOverInput(*parsed.options);
    if (!problem && command.Has(kOpensPorts)) problem = PortDirectoryProblem();
    if (problem) {
      environment.err << kToolSays << *problem << "\n";
      return ExitCode::kUsage;
    }
    // What the card gets as look-alikes is said once, before anything is composed.
    for (const std::string& note : BestFitNotes(*parsed.options)) environment.err << kToolSays << note << "\n";
    CliSession session(environment, *parsed.options, command.Has(kWritesCards));
    const ExitCode status = command.handler(*parsed.options, session);
    const bool stopTold = session.window.Told(MessageKind::kWriteStopped);
    return StatusAfterInterrupts(session.operations, status, stopTold, environment.err);
  }
  return ExitCode::kUsage;
}

}  // namespace

ExitCode RunCli(const std::vector<std::string>& arguments, CliEnvironment& environment) {
  const ExitCode status = RunParsed(ParseCommandLine(arguments, Commands(), environment.language), environment);
  if (status == ExitCode::kOutputLost) return status;  // said already, by the command
  return FlushStandardOutput(environment.out, environment.err) ? status : ExitCode::kOutputLost;
}

}  // namespace morvik
