#include "cli/console.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <iostream>
#include <streambuf>
#include <string>
#include <string_view>

namespace morvik {
namespace {

UINT outputCodePage = 0;
UINT inputCodePage = 0;

// The console belongs to the command prompt too: it gets its code pages back.
void RestoreCodePages() {
  SetConsoleOutputCP(outputCodePage);
  SetConsoleCP(inputCodePage);
}

void UseUtf8Console() {
  outputCodePage = GetConsoleOutputCP();
  inputCodePage = GetConsoleCP();
  if (outputCodePage == 0) return;  // no console: output goes to a file or a pipe as it is
  SetConsoleOutputCP(CP_UTF8);
  SetConsoleCP(CP_UTF8);
  std::atexit(RestoreCodePages);
}

std::wstring Utf16(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

// What the tool prints, for a console: UTF-16 through WriteConsoleW, whole
// lines at a time (and what is pending when the stream is flushed). A console
// handed UTF-8 piecemeal converts each piece alone, and a character cut
// between two writes shows as garbage.
class ConsoleText final : public std::streambuf {
 public:
  explicit ConsoleText(HANDLE console) : console_(console) {}

 private:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
  }

  std::streamsize xsputn(const char* text, std::streamsize count) override {
    pending_.append(text, static_cast<std::size_t>(count));
    const std::size_t lineEnd = pending_.rfind('\n');
    if (lineEnd != std::string::npos && !Show(lineEnd + 1)) return 0;
    return count;
  }

  int sync() override { return Show(pending_.size()) ? 0 : -1; }

  // Shows the first `length` bytes pending; false when the console refuses them.
  bool Show(std::size_t length) {
    const std::wstring wide = Utf16(std::string_view(pending_).substr(0, length));
    pending_.erase(0, length);
    for (std::size_t shown = 0; shown < wide.size();) {
      DWORD written = 0;
      const DWORD left = static_cast<DWORD>(wide.size() - shown);
      if (!WriteConsoleW(console_, wide.data() + shown, left, &written, nullptr) || written == 0) return false;
      shown += written;
    }
    return true;
  }

  HANDLE console_;
  std::string pending_;
};

// A stream whose handle is a console writes through ConsoleText; one that goes
// to a file or a pipe keeps its UTF-8 bytes. The buffer is never freed: the
// stream may still be flushed as the program ends.
void ShowOnConsole(std::ostream& stream, DWORD handleId) {
  const HANDLE handle = GetStdHandle(handleId);
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !GetConsoleMode(handle, &mode)) return;
  stream.rdbuf(new ConsoleText(handle));
  // Whole lines, not each piece a message is put together from.
  stream.unsetf(std::ios::unitbuf);
}

std::string Utf8(const wchar_t* wide) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), length, nullptr, nullptr);
  utf8.pop_back();  // the terminator
  return utf8;
}

}  // namespace

// The narrow argv holds the arguments in the ANSI code page, which loses
// what it cannot represent: the arguments come from the UTF-16 command line
// instead. A console is given what the tool prints as UTF-16.
std::vector<std::string> ConsoleArguments(int, char**) {
  UseUtf8Console();
  ShowOnConsole(std::cout, STD_OUTPUT_HANDLE);
  ShowOnConsole(std::cerr, STD_ERROR_HANDLE);
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; wide != nullptr && i < count; ++i) arguments.push_back(Utf8(wide[i]));
  if (wide != nullptr) LocalFree(wide);
  return arguments;
}

}  // namespace morvik
