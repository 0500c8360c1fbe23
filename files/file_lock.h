// Byte-range locks on an open file, for files several processes share (on
// one PC, or on PCs that share a folder). Each lock belongs to the open file
// it was taken through: closing another handle of the same file keeps it, and
// two handles of one file in one process exclude each other as two processes
// do. The ranges locked lie far past the end of any file, so that data is
// never locked. One source per platform.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace morvik {

enum class RangeLock {
  kTaken,          // this handle holds the byte now
  kHeldElsewhere,  // another handle holds it (asked without waiting)
  kNoLocks,        // the file system gives no locks: errorNumber says why
};

// Locks one byte at offset for writing; wait: until no other handle holds it.
RangeLock LockByte(std::FILE* file, std::uint64_t offset, bool wait, int& errorNumber);
// Lets the byte go; false with errorNumber set.
bool UnlockByte(std::FILE* file, std::uint64_t offset, int& errorNumber);

}  // namespace morvik

namespace morvik {

// Who holds a lock, for the people who read the records: this computer's
// name and this process's id.
std::string HostName();
long ProcessId();

}  // namespace morvik
