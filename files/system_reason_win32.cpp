// Windows: the system words its own error codes in the user's interface
// language (FormatMessageW); the tool's reasons are errno values, so the
// common ones are taken back to the system's code they stand for.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cerrno>
#include <system_error>

#include "files/file_access.h"

namespace morvik {
namespace {

DWORD SystemCodeOf(int errorNumber) {
  switch (errorNumber) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case EACCES: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOSPC: return ERROR_DISK_FULL;
    case EROFS: return ERROR_WRITE_PROTECT;
    case EMFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EBUSY: return ERROR_BUSY;
    case EAGAIN: return ERROR_LOCK_VIOLATION;
    default: return 0;
  }
}

// The system's text for code in that language as UTF-8 without its line end;
// empty when the system has none.
std::string SystemText(DWORD code, DWORD languageId) {
  wchar_t* text = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                     nullptr, code, languageId, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring wide(text != nullptr ? text : L"", text != nullptr ? length : 0);
  LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ')) wide.pop_back();
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

}  // namespace

std::string SystemReasonIn(int errorNumber, Language language) {
  // English is the portable condition's words, as every build says them.
  const DWORD code = SystemCodeOf(errorNumber);
  if (language == Language::kJapanese && code != 0) {
    for (const DWORD languageId : {static_cast<DWORD>(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)), DWORD{0}}) {
      if (std::string text = SystemText(code, languageId); !text.empty()) return text;
    }
  }
  return std::generic_category().message(errorNumber);
}

}  // namespace morvik
