#include "cli/image_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "link/number_text.h"

namespace morvik {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string ReadFromStream(std::istream& in, std::size_t limit) {
  std::string text(limit + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return text;
}

// Why path cannot be read as a file, before it is opened; empty when it can.
std::string RefusalOf(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (error) return error.message();
  if (std::filesystem::is_directory(status)) {
    return std::make_error_code(std::errc::is_a_directory).message();
  }
  if (!std::filesystem::is_regular_file(status)) return "not a regular file";
  return {};
}

}  // namespace

std::string SystemReason(int errorNumber) {
  return std::generic_category().message(errorNumber);
}

std::string OutputFailureReason(int errorNumber) {
  return errorNumber != 0 ? SystemReason(errorNumber) : "cannot be written";
}

std::optional<std::string> ReadBoundedFile(const std::string& path, std::istream& in,
                                           std::size_t limit, std::string& error) {
  const std::string name = path == "-" ? "standard input" : path;
  std::string text;
  if (path == "-") {
    text = ReadFromStream(in, limit);
    if (in.bad()) error = name + ": cannot be read";
  } else if (const std::string refusal = RefusalOf(path); !refusal.empty()) {
    error = name + ": " + refusal;
  } else {
    errno = 0;
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
      error = name + ": " + SystemReason(errno);
      return std::nullopt;
    }
    text.resize(limit + 1);
    text.resize(std::fread(text.data(), 1, text.size(), file.get()));
    if (std::ferror(file.get())) error = name + ": " + SystemReason(errno);
  }
  if (error.empty() && text.size() > limit) {
    error = name + ": larger than " + std::to_string(limit) + " bytes";
  }
  if (!error.empty()) return std::nullopt;
  return text;
}

std::optional<ContentImage> CardFromText(std::string_view text) {
  ContentImage image{};
  if (text.size() == image.size()) {
    std::copy(text.begin(), text.end(), image.begin());
    return image;
  }
  std::size_t digits = 0;
  for (const char c : text) {
    if (c == ' ' || c == '\n' || c == '\r' || c == '\t') continue;
    const int digit = HexDigitValue(c);
    if (digit < 0 || digits >= 2 * image.size()) return std::nullopt;
    image[digits / 2] = static_cast<std::uint8_t>(image[digits / 2] * 16 + digit);
    ++digits;
  }
  if (digits != 2 * image.size()) return std::nullopt;
  return image;
}

std::optional<std::string> ImageRefusal(const DecodedCard& decoded, bool yes, bool force) {
  if (decoded.kind == CardKind::kBlank && !yes) return "all zero: writing it clears the card; give --yes";
  if (force) return std::nullopt;
  if (decoded.kind == CardKind::kUnknown) return "not a card this tool writes; --force writes it anyway";
  if (IsDamaged(decoded)) return "damaged (" + DamageText(decoded) + "); --force writes it anyway";
  return std::nullopt;
}

ImageRead ReadCardImageFile(const std::string& path, std::istream& in) {
  ImageRead read;
  const std::optional<std::string> text = ReadBoundedFile(path, in, kImageFileLimit, read.error);
  if (!text) return read;
  read.image = CardFromText(*text);
  if (!read.image) {
    read.error = (path == "-" ? std::string("standard input") : path) + ": holds " +
                 std::to_string(text->size()) +
                 " bytes, not a card image (256 bytes or 512 hexadecimal digits)";
  }
  return read;
}

}  // namespace morvik
