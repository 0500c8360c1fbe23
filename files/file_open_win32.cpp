// Windows: the narrow file calls take names in the ANSI code page (932 on a
// Japanese PC), which cannot hold every name; the UTF-16 calls can.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <io.h>

#include <cerrno>

#include "files/file_access.h"

namespace morvik {
namespace {

std::wstring Utf16(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), length);
  return wide;
}

}  // namespace

FileHandle OpenFile(std::string_view utf8Name, OpenFor purpose, int& errorNumber) {
  static constexpr const wchar_t* kModes[] = {L"rb", L"wb", L"ab"};
  const std::wstring name = Utf16(utf8Name);
  errno = 0;
  // A name that is not UTF-8, or holds a NUL, names no file.
  FileHandle file(name.empty() || name.find(L'\0') != std::wstring::npos
                      ? nullptr
                      : _wfopen(name.c_str(), kModes[static_cast<int>(purpose)]));
  errorNumber = file ? 0 : (errno != 0 ? errno : EILSEQ);
  return file;
}

std::filesystem::path PathFromUtf8(std::string_view utf8Name) { return Utf16(utf8Name); }

bool SyncToDisk(std::FILE* file, int& errorNumber) {
  errno = 0;
  if (std::fflush(file) != 0) {
    errorNumber = errno;
    return false;
  }
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle)) return (errorNumber = 0, true);
  errorNumber = GetLastError() == ERROR_DISK_FULL ? ENOSPC : EIO;
  return false;
}

}  // namespace morvik
