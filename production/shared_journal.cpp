#include "production/shared_journal.h"

#include <chrono>
#include <random>
#include <thread>

namespace morvik {
namespace {

// How long a run tries for the journal's lock before it says why it waits.
constexpr auto kSayWaitingAfter = std::chrono::seconds(1);
constexpr auto kTryAgainAfter = std::chrono::milliseconds(10);

class FileSystemLocks final : public JournalLocks {
 public:
  explicit FileSystemLocks(std::FILE* file) : file_(file) {}
  RangeLock Lock(std::uint64_t offset, bool wait, int& errorNumber) override {
    return LockByte(file_, offset, wait, errorNumber);
  }
  void Unlock(std::uint64_t offset) override {
    int ignored = 0;
    UnlockByte(file_, offset, ignored);  // a lock not let go goes with the handle
  }

 private:
  std::FILE* file_;
};

// "R0012345": every run's name is as long as every other's.
std::string RunText(std::uint32_t slot) {
  const std::string digits = std::to_string(slot);
  return "R" + std::string(7 - digits.size(), '0') + digits;
}

}  // namespace

std::unique_ptr<JournalLocks> FileLocks(std::FILE* file) { return std::make_unique<FileSystemLocks>(file); }

std::optional<std::uint32_t> RunSlotOf(const std::string& run) {
  if (run.size() != 8 || run[0] != 'R') return std::nullopt;
  std::uint32_t slot = 0;
  for (std::size_t i = 1; i < run.size(); ++i) {
    if (run[i] < '0' || run[i] > '9') return std::nullopt;
    slot = slot * 10 + static_cast<std::uint32_t>(run[i] - '0');
  }
  return slot < kRunSlots ? std::optional(slot) : std::nullopt;
}

std::unique_ptr<SharedJournal> SharedJournal::Open(const std::string& utf8Name, const LocksFor& locksFor,
                                                   std::function<void()> waiting, Saying& why) {
  int reason = 0;
  // Opened for writing (created when missing), as a write lock needs; never written through.
  FileHandle lockHandle = OpenFile(utf8Name, OpenFor::kAppending, reason);
  FileHandle reader = lockHandle ? OpenFile(utf8Name, OpenFor::kReading, reason) : nullptr;
  if (!reader) {
    why = {Said::kJournalCannotOpen, {utf8Name, SystemReason(reason)}};
    return nullptr;
  }
  std::FILE* handle = lockHandle.get();
  std::unique_ptr<SharedJournal> journal(
      new SharedJournal(std::move(reader), std::move(lockHandle), locksFor(handle), std::move(waiting)));
  if (!journal->TakeRunLock(utf8Name, why)) return nullptr;
  journal->Exclusive([&] { journal->writer_ = JournalWriter::Open(utf8Name, reason); });
  if (!journal->writer_) {
    why = {Said::kJournalCannotOpen, {utf8Name, SystemReason(reason)}};
    return nullptr;
  }
  return journal;
}

SharedJournal::~SharedJournal() {
  if (locks_) locks_->Unlock(kRunLockBase + slot_);
}

bool SharedJournal::TakeRunLock(const std::string& utf8Name, Saying& why) {
  std::mt19937 random{std::random_device{}()};
  for (int tries = 0; tries < 64; ++tries) {
    const std::uint32_t slot = static_cast<std::uint32_t>(random() % kRunSlots);
    int reason = 0;
    const RangeLock taken = locks_->Lock(kRunLockBase + slot, false, reason);
    if (taken == RangeLock::kNoLocks) {
      why = {Said::kJournalNoLocks, {utf8Name, SystemReason(reason)}};
      return false;
    }
    if (taken == RangeLock::kTaken) {
      slot_ = slot;
      name_ = {RunText(slot), HostName(), ProcessId()};
      return true;
    }
  }
  why = {Said::kJournalNoRunLock, {utf8Name}};
  return false;
}

bool SharedJournal::LockAppends() {
  int reason = 0;
  const auto start = std::chrono::steady_clock::now();
  bool said = false;
  for (;;) {
    const bool sayNow = !said && std::chrono::steady_clock::now() - start >= kSayWaitingAfter;
    if (sayNow && waiting_) waiting_();
    said = said || sayNow;
    const RangeLock taken = locks_->Lock(kAppendLockByte, said, reason);
    if (taken == RangeLock::kTaken) return true;
    if (taken == RangeLock::kNoLocks) return false;
    std::this_thread::sleep_for(kTryAgainAfter);
  }
}

bool SharedJournal::Exclusive(const std::function<void()>& body) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (depth_ == 0 && !LockAppends()) return false;
  ++depth_;
  body();
  if (--depth_ == 0) locks_->Unlock(kAppendLockByte);
  return true;
}

JournalRead SharedJournal::CatchUp(const JournalTake& take) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  JournalParser parser([&](const JournalEntry& entry) {
    if (entry.record.run.empty() || entry.record.run != name_.run) take(entry);
  });
  std::clearerr(reader_.get());
  if (std::fseek(reader_.get(), static_cast<long>(offset_), SEEK_SET) != 0) return {};
  // Whole lines only, a piece at a time: a line still being written waits for the next look.
  std::string chunk(64 * 1024, '\0'), pending;
  std::size_t got = 0;
  while ((got = std::fread(chunk.data(), 1, chunk.size(), reader_.get())) > 0) {
    pending.append(chunk, 0, got);
    const std::size_t lineEnd = pending.rfind('\n');
    if (lineEnd == std::string::npos) continue;
    const bool records = parser.Feed(std::string_view(pending).substr(0, lineEnd + 1));
    offset_ += lineEnd + 1;  // a line that is no record is not read again
    pending.erase(0, lineEnd + 1);
    if (!records) break;
  }
  return parser.Finish();
}

bool SharedJournal::EndsInLineEnd() {
  std::clearerr(reader_.get());
  return std::fseek(reader_.get(), -1, SEEK_END) != 0 || std::fgetc(reader_.get()) == '\n';
}

bool SharedJournal::Append(std::string_view line, int& errorNumber) {
  bool appended = false;
  // A run killed while it appended left a line cut short: the record starts on a line of its own.
  const bool locked = Exclusive([&] {
    appended = (EndsInLineEnd() || writer_->Append("", errorNumber)) && writer_->Append(line, errorNumber);
  });
  if (!locked) errorNumber = ENOLCK;
  return locked && appended;
}

bool SharedJournal::Close(int& errorNumber) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  return !writer_ || writer_->Close(errorNumber);
}

bool SharedJournal::Alive(const std::string& run) {
  if (run == name_.run) return true;
  const std::optional<std::uint32_t> slot = RunSlotOf(run);
  if (!slot) return false;
  int reason = 0;
  const RangeLock probe = locks_->Lock(kRunLockBase + *slot, false, reason);
  if (probe == RangeLock::kTaken) locks_->Unlock(kRunLockBase + *slot);
  return probe == RangeLock::kHeldElsewhere;
}

}  // namespace morvik
