#include "cli/command_table.h"

#include <cstdlib>
#include <filesystem>
#include <ostream>

#include "cli/card_commands.h"
#include "cli/card_image_options.h"
#include "cli/option_table.h"
#include "cli/production_commands.h"
#include "files/file_access.h"
#include "words/catalog.h"

namespace morvik {
namespace {

std::vector<std::string_view> Joined(std::initializer_list<std::vector<std::string_view>> groups) {
  std::vector<std::string_view> names;
  for (const auto& group : groups) names.insert(names.end(), group.begin(), group.end());
  return names;
}


}  // namespace

std::span<const CommandSpec> Commands() {
  using enum Said;
  static const std::vector<std::string_view> writer = WriterOptionNames();
  static const std::vector<std::string_view> content = ContentOptionNames();
  static const std::vector<CommandSpec> commands = {
      {"connect", "", kSummaryConnect, kAboutConnect, writer, RunConnect, kOpensPorts},
      {"ports", "", kSummaryPorts, kAboutPorts, {"--trace", "--fast", "--format"}, RunPorts, kOpensPorts},
      {"image", "", kSummaryImage, kAboutImage, Joined({content, {"--cid", "--format", "--out"}}), RunImage,
       kTakesKeywords},
      {"decode", "FILE|-", kSummaryDecode, kAboutDecode, {"--format"}, RunDecode},
      {"uid", "", kSummaryUid, kAboutUid, writer, RunUid, kOpensPorts},
      {"write", "", kSummaryWrite, kAboutWrite, Joined({content, {"--image", "--force", "--verify"}, writer}),
       RunWrite, kOpensPorts | kWritesCards | kTakesKeywords},
      {"clear", "", kSummaryClear, kAboutClear, Joined({{"--yes"}, writer}), RunClear, kOpensPorts | kWritesCards},
      {"dump", "", kSummaryDump, kAboutDump, Joined({{"--out"}, writer}), RunDump, kOpensPorts},
      {"batch", "", kSummaryBatch, kAboutBatch, Joined({content, ProductionOptionNames()}), RunBatch,
       kOpensPorts | kWritesCards | kTakesKeywords},
      {"history", "LOG...", kSummaryHistory, kAboutHistory,
       {"--idm", "--id", "--row", "--result", "--since", "--format"}, RunHistory},
      {"verify", "", kSummaryVerify, kAboutVerify, Joined({content, writer}), RunVerify, kOpensPorts},
  };
  return commands;
}


namespace {

// Every port would look absent with a folder of port links that is not there.
std::optional<std::string> PortDirectoryProblem([[maybe_unused]] Language language) {
#ifdef _WIN32
  return std::nullopt;
#else
  const char* directory = std::getenv("MORVIK_PORT_DIR");
  if (directory == nullptr || *directory == '\0') return std::nullopt;
  std::error_code error;
  if (std::filesystem::is_directory(directory, error)) return std::nullopt;
  return "MORVIK_PORT_DIR=" + std::string(directory) + ": " +
         (error ? SystemReason(error.default_error_condition().value()) : Say({Said::kNotAFolder}, language));
#endif
}

// An output that names one of the command's inputs would overwrite it or
// append to it: refused before anything is read or written.
std::optional<std::string> OutputOverInput(const CliOptions& options, Language language) {
  const std::pair<std::string_view, std::string> outputs[] = {{"--out", options.out.value_or("")},
                                                              {"--log", options.production.log}};
  const std::pair<std::string_view, std::string> inputs[] = {{"--rows", options.production.rows},
                                                             {"--image", options.image.value_or("")}};
  for (const auto& [output, outputName] : outputs) {
    for (const auto& [input, inputName] : inputs) {
      if (outputName.empty() || inputName.empty() || !SameFile(outputName, inputName)) continue;
      return Say({Said::kOutputOverInput, {std::string(output), std::string(input), outputName}}, language);
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
    std::optional<std::string> problem = OutputOverInput(*parsed.options, environment.language);
    if (!problem && command.Has(kOpensPorts)) problem = PortDirectoryProblem(environment.language);
    if (problem) {
      environment.err << kToolSays << *problem << "\n";
      return ExitCode::kUsage;
    }
    // What the card gets as look-alikes is said once, before anything is composed.
    for (const std::string& note : BestFitNotes(*parsed.options)) environment.err << kToolSays << note << "\n";
    CliSession session(environment, *parsed.options, command.Has(kWritesCards));
    const ExitCode status = command.handler(*parsed.options, session);
    const bool stopTold = session.window.Told(MessageKind::kWriteStopped);
    return StatusAfterInterrupts(session.operations, status, stopTold, environment.err, environment.language);
  }
  return ExitCode::kUsage;
}

}  // namespace

ExitCode RunCli(const std::vector<std::string>& arguments, CliEnvironment& environment) {
  const ExitCode status = RunParsed(ParseCommandLine(arguments, Commands(), environment.language), environment);
  if (status == ExitCode::kOutputLost) return status;  // said already, by the command
  return FlushStandardOutput(environment.out, environment.err, environment.language) ? status : ExitCode::kOutputLost;
}

}  // namespace morvik
