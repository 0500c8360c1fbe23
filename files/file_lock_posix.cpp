// POSIX: open-file-description locks (Linux's F_OFD_SETLK), which belong to
// the open file rather than to the process: closing any other descriptor of
// the file does not drop them. NFS and SMB mounts that honour locks keep them.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "files/file_lock.h"

namespace morvik {
namespace {

struct flock ByteAt(short type, std::uint64_t offset) {
  struct flock range {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = static_cast<off_t>(offset);
  range.l_len = 1;
  return range;
}

}  // namespace

RangeLock LockByte(std::FILE* file, std::uint64_t offset, bool wait, int& errorNumber) {
  struct flock range = ByteAt(F_WRLCK, offset);
  for (;;) {
    errno = 0;
    if (fcntl(fileno(file), wait ? F_OFD_SETLKW : F_OFD_SETLK, &range) == 0) {
      errorNumber = 0;
      return RangeLock::kTaken;
    }
    errorNumber = errno;
    if (errorNumber == EINTR) continue;
    return errorNumber == EAGAIN || errorNumber == EACCES ? RangeLock::kHeldElsewhere : RangeLock::kNoLocks;
  }
}

bool UnlockByte(std::FILE* file, std::uint64_t offset, int& errorNumber) {
  struct flock range = ByteAt(F_UNLCK, offset);
  errno = 0;
  const bool unlocked = fcntl(fileno(file), F_OFD_SETLK, &range) == 0;
  errorNumber = unlocked ? 0 : errno;
  return unlocked;
}

}  // namespace morvik

namespace morvik {

std::string HostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

long ProcessId() { return static_cast<long>(getpid()); }

}  // namespace morvik
