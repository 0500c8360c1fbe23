// A production run on one or several writers: one thread per writer, each
// with its own worker; the records of all of them go to one printer that
// writes whole lines, so lines never interleave.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "production/batch_worker.h"
#include "link/serial_device.h"

namespace morvik {

// Card records as text or JSON Lines on one stream, and as JSON Lines in a
// log that is flushed after every card.
class RecordPrinter {
 public:
  RecordPrinter(std::FILE* out, bool json, std::FILE* log) : out_(out), json_(json), log_(log) {}
  // Stamps the record with the current UTC time and prints it.
  void Print(CardRecord record);
  // A line on stderr, never inside a record line.
  void Note(const std::string& text);

 private:
  std::mutex mutex_;
  std::FILE* out_;
  bool json_;
  std::FILE* log_;
};

// "2026-12-07T01:23:45Z"
std::string UtcTimeText();

struct WriterPlan {
  std::vector<std::string> ports;  // connect to the first of these that answers
  bool required = true;            // a writer that does not answer counts as a failure
};

// Runs every writer to its end and returns the tallies of the writers that
// answered (and of required ones that did not).
std::vector<WriterTally> RunBatch(const std::vector<WriterPlan>& writers, const BatchContext& context,
                                  const std::function<std::unique_ptr<SerialPlatform>()>& makePlatform);

}  // namespace morvik
