// A journal any number of runs share, on one PC or on PCs that share its
// folder. Every append, and every choice of a card's row, happens under a
// lock on the journal, after reading what the other runs appended since the
// last look (the journal only grows). Each run holds a lock of its own while
// it lives: a card another run started is that run's while it lives, and in
// doubt once it is gone. The locks are bytes far past the journal's end.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "files/file_access.h"
#include "files/file_lock.h"
#include "production/journal.h"
#include "words/catalog.h"

namespace morvik {

// The locks a shared journal is used under, through the journal's own handle.
class JournalLocks {
 public:
  virtual ~JournalLocks() = default;
  virtual RangeLock Lock(std::uint64_t offset, bool wait, int& errorNumber) = 0;
  virtual void Unlock(std::uint64_t offset) = 0;
};

// The byte every append is made under, and the first of the runs' own bytes.
inline constexpr std::uint64_t kAppendLockByte = std::uint64_t{1} << 40;
inline constexpr std::uint64_t kRunLockBase = kAppendLockByte + 1;
inline constexpr std::uint32_t kRunSlots = 1u << 20;

// Who started a card: put into its started record.
struct RunName {
  std::string run;   // the run's own lock, as text: "R" and its number in 7 digits
  std::string host;
  long pid = 0;
};

class SharedJournal {
 public:
  using LocksFor = std::function<std::unique_ptr<JournalLocks>(std::FILE*)>;
  // Opens (creating it) the journal and takes a run's own lock. nullptr with
  // why (the journal's name and the reason, for the caller to word) when it
  // cannot be opened or the file system gives no locks: no run starts without them. waiting: said once when the lock
  // has been waited for a second (another run holds it).
  static std::unique_ptr<SharedJournal> Open(const std::string& utf8Name, const LocksFor& locksFor,
                                             std::function<void()> waiting, Saying& why);
  ~SharedJournal();

  const RunName& name() const { return name_; }
  // Records appended since the last look, this run's own left out; only
  // whole lines are taken, a line still being written waits for the next look.
  JournalRead CatchUp(const JournalTake& take);
  // Runs body under the journal's lock (reentrant on one thread; the
  // writers' threads take turns); false when the lock could not be taken.
  bool Exclusive(const std::function<void()>& body);
  // Appends under the lock; false with errorNumber set.
  bool Append(std::string_view line, int& errorNumber);
  bool Close(int& errorNumber);
  // Whether the run of that name still holds its own lock.
  bool Alive(const std::string& run);

 private:
  SharedJournal(FileHandle reader, FileHandle lockHandle, std::unique_ptr<JournalLocks> locks,
                std::function<void()> waiting)
      : reader_(std::move(reader)),
        lockHandle_(std::move(lockHandle)),
        locks_(std::move(locks)),
        waiting_(std::move(waiting)) {}
  bool TakeRunLock(const std::string& utf8Name, Saying& why);
  bool LockAppends();
  bool EndsInLineEnd();

  FileHandle reader_;
  FileHandle lockHandle_;  // the locks are this handle's
  std::unique_ptr<JournalLocks> locks_;
  std::function<void()> waiting_;
  std::optional<JournalWriter> writer_;
  std::recursive_mutex mutex_;
  int depth_ = 0;
  std::uint64_t offset_ = 0;
  std::uint32_t slot_ = 0;
  RunName name_;
};

// The locks of the file system, through the journal's handle.
std::unique_ptr<JournalLocks> FileLocks(std::FILE* file);
// The run slot a run name holds; nullopt for a name no run takes.
std::optional<std::uint32_t> RunSlotOf(const std::string& run);

}  // namespace morvik
