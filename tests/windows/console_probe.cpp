// console-probe.exe PROGRAM [ARGUMENTS...]: runs the program in a console of
// its own, as from a command prompt, and once it has ended prints what that
// console shows, line by line as UTF-8 (trailing blanks dropped), on the
// probe's own standard output; ends with the program's status. scripts/test-windows
// reads back with it what morvik-card.exe shows on a console (under Wine, a
// console's screen can be read only with an X display).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

// The command line after the probe's own name, as it was given.
std::wstring ProgramCommandLine() {
  const wchar_t* line = GetCommandLineW();
  bool quoted = false;
  for (; *line != L'\0' && (quoted || (*line != L' ' && *line != L'\t')); ++line) {
    if (*line == L'"') quoted = !quoted;
  }
  while (*line == L' ' || *line == L'\t') ++line;
  return line;
}

HANDLE OpenInheritable(const wchar_t* name, DWORD access) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
}

// The rows of the screen buffer down to the cursor's, trailing blanks dropped.
std::vector<std::wstring> ScreenLines(HANDLE screen) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  std::vector<std::wstring> lines;
  if (!GetConsoleScreenBufferInfo(screen, &info)) {
    std::fprintf(stderr, "console-probe: the console's size unknown (%lu)\n", GetLastError());
    return lines;
  }
  for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
    std::wstring line(static_cast<std::size_t>(info.dwSize.X), L' ');
    DWORD read = 0;
    ReadConsoleOutputCharacterW(screen, line.data(), static_cast<DWORD>(line.size()), COORD{0, row}, &read);
    line.resize(read);
    line.erase(line.find_last_not_of(L' ') + 1);
    lines.push_back(line);
  }
  return lines;
}

}  // namespace

int main() {
  const HANDLE report = GetStdHandle(STD_OUTPUT_HANDLE);
  std::wstring command = ProgramCommandLine();
  if (command.empty()) {
    std::fprintf(stderr, "usage: console-probe PROGRAM [ARGUMENTS...]\n");
    return 2;
  }
  FreeConsole();
  if (!AllocConsole()) {
    std::fprintf(stderr, "console-probe: no console (%lu)\n", GetLastError());
    return 2;
  }
  const HANDLE screen = OpenInheritable(L"CONOUT$", GENERIC_READ | GENERIC_WRITE);
  const HANDLE keyboard = OpenInheritable(L"CONIN$", GENERIC_READ | GENERIC_WRITE);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = keyboard;
  startup.hStdOutput = screen;
  startup.hStdError = screen;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "console-probe: cannot run the program (%lu)\n", GetLastError());
    return 2;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 2;
  GetExitCodeProcess(process.hProcess, &status);
  std::string shown;
  for (const std::wstring& line : ScreenLines(screen)) shown += Utf8(line) + "\n";
  DWORD written = 0;
  WriteFile(report, shown.data(), static_cast<DWORD>(shown.size()), &written, nullptr);
  return static_cast<int>(status);
}
