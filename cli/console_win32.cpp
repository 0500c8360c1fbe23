#include "cli/console.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>

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
// instead. The console shows what the tool prints as UTF-8.
std::vector<std::string> ConsoleArguments(int, char**) {
  UseUtf8Console();
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; wide != nullptr && i < count; ++i) arguments.push_back(Utf8(wide[i]));
  if (wide != nullptr) LocalFree(wide);
  return arguments;
}

}  // namespace morvik
