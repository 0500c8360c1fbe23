// Every text the production window's list views show in a writer's state,
// a card's result and its reason, with the widest values (block 63, every
// step): what their columns must hold whole.
#pragma once

#include <string>
#include <vector>

#include "app/line/line_texts.h"

namespace morvik::test {

inline constexpr CardResult kEveryResult[] = {CardResult::kOk,      CardResult::kWriteFailed,
                                              CardResult::kVerifyFailed, CardResult::kRemoved,
                                              CardResult::kInterrupted,  CardResult::kWriterLost};

inline std::vector<std::string> EveryWriterState() {
  std::vector<std::string> states{line_texts::LookingForWriter(), line_texts::Ended()};
  using Step = WriterProgress::Step;
  for (const Step step : {Step::kWaitingForCard, Step::kWriting, Step::kReadingBack}) {
    states.push_back(line_texts::WriterState({step, "COM31", "", 0, 64}));
  }
  for (const CardResult result : kEveryResult) states.push_back(line_texts::WaitingAfter(result));
  using Kind = WriterEvent::Kind;
  for (const Kind kind : {Kind::kFound, Kind::kNotAnswering, Kind::kLost, Kind::kBack, Kind::kSetAside,
                          Kind::kContentRefused, Kind::kDoneBefore}) {
    states.push_back(line_texts::StateAfter({kind, "COM31"}));
  }
  return states;
}

inline std::vector<std::string> EveryResult() {
  std::vector<std::string> results;
  for (const CardResult result : kEveryResult) results.push_back(line_texts::Result(result));
  results.push_back(line_texts::HalfWrittenResult());
  return results;
}

inline std::vector<std::string> EveryReason() {
  std::vector<std::string> reasons;
  for (const CardResult result : kEveryResult) {
    for (const bool readingBack : {false, true}) {
      CardRecord record;
      record.result = result;
      record.block = 63;
      record.foundInDoubt = true;
      reasons.push_back(line_texts::Reason(record, readingBack));
    }
  }
  reasons.push_back(line_texts::HalfWrittenReason({.time = "2026-12-07T09:00:00Z", .port = "COM31", .idm = ""}));
  return reasons;
}

}  // namespace morvik::test
