// Windows: LockFileEx on the file's handle; the lock belongs to the handle.
// SMB shares keep it.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <io.h>

#include <cerrno>

#include "files/file_lock.h"

namespace morvik {
namespace {

HANDLE HandleOf(std::FILE* file) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))); }

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION: return ENOLCK;
    case ERROR_ACCESS_DENIED: return EACCES;
    default: return EIO;
  }
}

}  // namespace

RangeLock LockByte(std::FILE* file, std::uint64_t offset, bool wait, int& errorNumber) {
  OVERLAPPED at = At(offset);
  const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
  if (LockFileEx(HandleOf(file), flags, 0, 1, 0, &at)) {
    errorNumber = 0;
    return RangeLock::kTaken;
  }
  const DWORD error = GetLastError();
  errorNumber = error == ERROR_LOCK_VIOLATION ? EAGAIN : ErrnoOf(error);
  return error == ERROR_LOCK_VIOLATION ? RangeLock::kHeldElsewhere : RangeLock::kNoLocks;
}

bool UnlockByte(std::FILE* file, std::uint64_t offset, int& errorNumber) {
  OVERLAPPED at = At(offset);
  const bool unlocked = UnlockFileEx(HandleOf(file), 0, 1, 0, &at) != 0;
  errorNumber = unlocked ? 0 : ErrnoOf(GetLastError());
  return unlocked;
}

}  // namespace morvik

namespace morvik {

std::string HostName() {
  wchar_t wide[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(wide, &length)) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string name(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), name.data(), size, nullptr, nullptr);
  return name;
}

long ProcessId() { return static_cast<long>(GetCurrentProcessId()); }

}  // namespace morvik
