// POSIX: names are bytes, and UTF-8 is what the system takes.
#include <unistd.h>

#include <cerrno>

#include "files/file_access.h"

namespace morvik {

FileHandle OpenFile(std::string_view utf8Name, OpenFor purpose, int& errorNumber) {
  static constexpr const char* kModes[] = {"rb", "wb", "ab"};
  errno = 0;
  FileHandle file(std::fopen(std::string(utf8Name).c_str(), kModes[static_cast<int>(purpose)]));
  errorNumber = file ? 0 : errno;
  return file;
}

std::filesystem::path PathFromUtf8(std::string_view utf8Name) { return std::string(utf8Name); }

bool SyncToDisk(std::FILE* file, int& errorNumber) {
  errno = 0;
  const bool synced = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
  errorNumber = synced ? 0 : errno;
  return synced;
}

}  // namespace morvik
