// Files by name, the one way the tool opens them. A name is UTF-8 on every
// platform; on Windows it reaches the system through the UTF-16 calls, so a
// Japanese name opens as it was typed whatever the ANSI code page. Every
// failure comes back with the system's reason; nothing throws.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "words/language.h"

namespace morvik {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
// Closed, unchecked, when dropped: an output is closed with CloseFile instead.
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

enum class OpenFor {
  kReading,    // binary, from the start
  kWriting,    // binary, created or emptied
  kAppending,  // binary, created if missing, every write at the end
};

// The file named by utf8Name; null with errorNumber set (errno's values) when
// the system refused it.
FileHandle OpenFile(std::string_view utf8Name, OpenFor purpose, int& errorNumber);

// The name as a path the system's file calls take (UTF-16 on Windows).
std::filesystem::path PathFromUtf8(std::string_view utf8Name);

// Everything written so far handed to the system and made durable on the
// disk (fsync, FlushFileBuffers); false with errorNumber set.
bool SyncToDisk(std::FILE* file, int& errorNumber);

// The last flush and the close, both checked; false with errorNumber set.
bool CloseFile(FileHandle file, int& errorNumber);

// Why name cannot be read as a regular file (a folder, a device, missing);
// empty when it can.
std::string NotARegularFile(std::string_view utf8Name);

// Whether two names lead to the same existing file.
bool SameFile(std::string_view a, std::string_view b);

// The system's words for an errno value ("No such file or directory"), in
// the language set for the process.
std::string SystemReason(int errorNumber);
// The same in that language: Japanese where the system has the words (a
// ja_JP.UTF-8 locale, a Japanese message table), English otherwise.
std::string SystemReasonIn(int errorNumber, Language language);
// The language SystemReason speaks from now on; English until set.
void SpeakSystemReasonsIn(Language language);
// Why an output took nothing: the system's words, or "cannot be written"
// when it gave none (errno 0).
std::string OutputFailureReason(int errorNumber);

// The whole content of a file ("-": `in`), at most `limit` bytes; nullopt
// with "NAME: reason" in error otherwise. A folder, a device or an endless
// stream is refused with a reason instead of being read to its end.
std::optional<std::string> ReadBoundedFile(const std::string& utf8Name, std::istream& in,
                                           std::size_t limit, std::string& error);

// Every byte written, flushed and the file closed; else "NAME: reason" in error.
bool WriteWholeFile(const std::string& utf8Name, std::string_view bytes, std::string& error);

}  // namespace morvik
