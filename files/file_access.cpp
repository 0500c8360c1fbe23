#include "files/file_access.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <system_error>

#include "words/catalog.h"

namespace morvik {
namespace {

std::atomic<Language> reasonLanguage{Language::kEnglish};

}  // namespace

bool CloseFile(FileHandle file, int& errorNumber) {
  errno = 0;
  const bool flushed = std::fflush(file.get()) == 0;
  errorNumber = errno;
  errno = 0;
  const bool closed = std::fclose(file.release()) == 0;
  if (flushed) errorNumber = errno;
  return flushed && closed;
}

std::string NotARegularFile(std::string_view utf8Name) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(PathFromUtf8(utf8Name), error);
  if (error) {
    const std::error_condition condition = error.default_error_condition();
    return condition.category() == std::generic_category() ? SystemReason(condition.value()) : condition.message();
  }
  if (std::filesystem::is_directory(status)) return SystemReason(EISDIR);
  if (!std::filesystem::is_regular_file(status)) return Say({Said::kNotARegularFile}, reasonLanguage.load());
  return {};
}

bool SameFile(std::string_view a, std::string_view b) {
  std::error_code error;
  return std::filesystem::equivalent(PathFromUtf8(a), PathFromUtf8(b), error) && !error;
}

std::string SystemReason(int errorNumber) { return SystemReasonIn(errorNumber, reasonLanguage.load()); }

void SpeakSystemReasonsIn(Language language) { reasonLanguage.store(language); }

std::string OutputFailureReason(int errorNumber) {
  return errorNumber != 0 ? SystemReason(errorNumber) : Say({Said::kCannotBeWritten}, reasonLanguage.load());
}

namespace {

// Up to limit + 1 bytes, read in pieces: a small file takes no more memory
// than its bytes, whatever the limit.
template <class ReadPiece>
std::string ReadUpTo(std::size_t limit, const ReadPiece& readPiece) {
  constexpr std::size_t kPiece = 64 * 1024;
  std::string text;
  while (text.size() <= limit) {
    const std::size_t at = text.size();
    text.resize(at + std::min(kPiece, limit + 1 - at));
    const std::size_t got = readPiece(text.data() + at, text.size() - at);
    text.resize(at + got);
    if (got == 0) break;
  }
  return text;
}

}  // namespace

std::optional<std::string> ReadBoundedFile(const std::string& utf8Name, std::istream& in,
                                           std::size_t limit, std::string& error) {
  const Language language = reasonLanguage.load();
  const std::string name = utf8Name == "-" ? Say({Said::kStandardInput}, language) : utf8Name;
  error.clear();
  std::string text;
  if (utf8Name == "-") {
    text = ReadUpTo(limit, [&in](char* into, std::size_t size) {
      in.read(into, static_cast<std::streamsize>(size));
      return static_cast<std::size_t>(in.gcount());
    });
    if (in.bad()) error = name + ": " + Say({Said::kCannotBeRead}, language);
  } else if (const std::string refusal = NotARegularFile(utf8Name); !refusal.empty()) {
    error = name + ": " + refusal;
  } else {
    int reason = 0;
    const FileHandle file = OpenFile(utf8Name, OpenFor::kReading, reason);
    if (!file) {
      error = name + ": " + SystemReason(reason);
      return std::nullopt;
    }
    errno = 0;
    text = ReadUpTo(limit, [&file](char* into, std::size_t size) { return std::fread(into, 1, size, file.get()); });
    if (std::ferror(file.get())) error = name + ": " + SystemReason(errno);
  }
  if (error.empty() && text.size() > limit) {
    error = name + ": " + Say({Said::kLargerThan, {std::to_string(limit)}}, language);
  }
  if (!error.empty()) return std::nullopt;
  return text;
}

bool WriteWholeFile(const std::string& utf8Name, std::string_view bytes, std::string& error) {
  std::error_code ignored;
  if (std::filesystem::is_directory(PathFromUtf8(utf8Name), ignored)) {  // Windows would say only "Permission denied"
    error = utf8Name + ": " + SystemReason(EISDIR);
    return false;
  }
  int reason = 0;
  FileHandle file = OpenFile(utf8Name, OpenFor::kWriting, reason);
  if (file) {
    errno = 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    reason = errno;
    int closeReason = 0;
    if (CloseFile(std::move(file), closeReason) && written) return true;
    if (written) reason = closeReason;
  }
  error = utf8Name + ": " + OutputFailureReason(reason);
  return false;
}

}  // namespace morvik
