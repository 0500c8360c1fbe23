// Reading a card image from a file or standard input: the one way the tool
// takes an image in (decode, write --image, batch --image). The path must be a
// regular file, or "-" for standard input, and is read up to a bound, so a
// directory, a device or an endless stream is refused with a reason instead
// of being read to its end.
#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

#include "content/card_decode.h"
#include "content/content_settings.h"

namespace morvik {

// Far more than any accepted form of a card image needs: 256 bytes, or 512
// hexadecimal digits with white space between them (a hex dump has 768).
inline constexpr std::size_t kImageFileLimit = 64 * 1024;

struct ImageRead {
  std::optional<ContentImage> image;
  std::string error;  // "PATH: reason" when there is no image
};

// The whole content of path ("-": `in`), at most `limit` bytes; nullopt with
// "PATH: reason" in error otherwise.
std::optional<std::string> ReadBoundedFile(const std::string& path, std::istream& in,
                                           std::size_t limit, std::string& error);

// The 256 bytes themselves, or 512 hexadecimal digits with any white space.
std::optional<ContentImage> CardFromText(std::string_view text);

// A card image from path ("-": `in`).
ImageRead ReadCardImageFile(const std::string& path, std::istream& in);

// Why a decoded image should not go to a card as it is, or nothing: a damaged
// image or one of no kind this tool writes needs force, an all-zero image (a
// clear) needs yes.
std::optional<std::string> ImageRefusal(const DecodedCard& decoded, bool yes, bool force);

// The system's words for an errno value ("No such file or directory").
std::string SystemReason(int errorNumber);
// Why an output took nothing: the system's words, or "cannot be written"
// when it gave none (errno 0).
std::string OutputFailureReason(int errorNumber);

}  // namespace morvik
