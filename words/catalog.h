// What the tool and the production window say of their own: each message is
// a kind with values, worded once in English and once in Japanese. The texts
// the card operations show (the core's messages) are not here: they keep
// their own words.
#pragma once

#include <cstdint>
#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "words/language.h"

namespace morvik {

enum class Said : std::uint16_t {
  // A list's problems: where, and what is wrong.
  kAtLine,
  kListUnreadable,
  kNoHeaderRow,
  kNoRows,
  kUnknownColumn,
  kColumnTwice,
  kOneCell,
  kCells,
  kNotAFlag,
  kLineEndInCell,
  kBadPosition,
  kBadValue,
  kIdRepeated,
  kColumnNeeds,
  kColumnsExclude,
  kNotOnUidCard,
  kNotWithImage,
  kNeedsStartUid,
  kControlCharacter,
  kCardRefused,
  kCardRefusedCounted,
  kRowRefused,
  kMoreProblems,
  // Characters the card gets as look-alikes.
  kLookAlike,
  kLookAlikeInRows,
  // The command line refused.
  kUsageError,
  kUnknownCommand,
  kUnknownCommandDidYouMean,
  kUnexpectedArgument,
  kNeedsOperand,
  kNeedsValue,
  kValueLooksLikeOption,
  kValueAfterEquals,
  kDoesNotTake,
  kDoesNotTakeDidYouMean,
  kGivenTwice,
  kTakesNoValue,
  kNothingAfterEquals,
  kNoOption,
  kBadOptionValue,
  // Why a port gave no writer.
  kPortNoPermissionJoinGroup,
  kPortNoPermissionJoinOwners,
  kPortNoPermissionOnly,
  kPortBusy,
  kPortBusyBy,
  kPortNoSuchPort,
  kPortNotSerial,
  kPortNoAnswer,
  kPortDamaged,
  // A run's tallies.
  kAllWriters,
  kTallyOneCard,
  kTallyCards,
  kTallyWriteFailed,
  kTallyVerifyFailed,
  kTallyRemoved,
  kTallyInterrupted,
  kTallyWriterLost,
  kTallyOneResend,
  kTallyResends,
  kTallyNote,
  // A run's records, its journal, its list and its progress.
  kRowRef,
  kRowRefId,
  kInParens,
  kResultOk,
  kResultOkNotReadBack,
  kResultWriteFailed,
  kResultVerifyFailed,
  kResultRemoved,
  kResultInterrupted,
  kResultWriterLost,
  kRecordLine,
  kOneResend,
  kResends,
  kFoundInDoubt,
  kHistoryInDoubt,
  kJournalWaiting,
  kJournalNone,
  kJournalBadLine,
  kJournalOneCutShort,
  kJournalCutShort,
  kJournalOneOtherList,
  kJournalOtherLists,
  kOneRow,
  kRows,
  kEncodingUtf8WithBom,
  kEncodingUtf8,
  kEncodingCp932,
  kListStanding,
  kListEdited,
  kListNotReadBack,
  kListGone,
  kWrittenAgain,
  kNotWrittenAgain,
  kNotWrittenAgainHint,
  kRowChanged,
  kCardInDoubt,
  kRunGone,
  kCardNotSeen,
  kOnlyDoubts,
  kRowsDoneLeft,
  kNoWriterOn,
  kStepWaiting,
  kStepStarting,
  kStepBlock,
  kStepReadingBack,
  kStepDone,
  kBoardCards,
  kBoardRate,
  kBoardUnderMinute,
  kBoardMinutesLeft,
  kListNotUtf8,
  kListNotCp932,
  kListNeitherEncoding,
  kListAmbiguous,
  kQuoteNotEnded,
  kLookAlikeFirst,
  kLookAlikeMore,
  kLookAlikeOption,
  kLookAlikeNextOption,
  kQuestionRow,
  kQuestionRows,
  kBlankRow,
  kBlankRows,
  kWriterFound,
  kWriterNotAnswering,
  kWriterNoAnswer,
  kWriterContentRefused,
  kWriterSetAside,
  kWriterLostLooking,
  kWriterBack,
  kDoneBefore,
  kDoneBeforeRow,
  kDoneBeforeRowId,
  kTallyNoteMore,
  kFoundAfterStart,
  kLostAndBack,
  kLostAndBackTimes,
  kProblemContentRefused,
  kProblemSetAside,
  kProblemWriterLost,
  kProblemNoWriter,
  kEnd,  // past the last kind
};

// A message: its kind and its values, in the order its wording names them.
struct Saying {
  Said kind;
  std::vector<std::string> values{};
};

// One kind worded in both languages; "{name}" stands for the value of that
// name, the names given in the order the values come (unused places empty).
struct Wording {
  Said kind;
  std::array<std::string_view, 6> names;
  std::string_view english;
  std::string_view japanese;
};

std::span<const Wording> Catalog();

// The message in this language: the kind's wording with its values in place.
std::string Say(const Saying& saying, Language language);

}  // namespace morvik
