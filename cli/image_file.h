// Reading a card image from a file or standard input: the one way the tool
// takes an image in (decode, write --image, batch --image), read up to a bound.
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

// The 256 bytes themselves, 512 hexadecimal digits with any white space, or
// the JSON object dump prints (its "image").
std::optional<ContentImage> CardFromText(std::string_view text);

// A card image from path ("-": `in`).
ImageRead ReadCardImageFile(const std::string& path, std::istream& in, Language language);

// Why a decoded image should not go to a card as it is, or nothing: a damaged
// image or one of no kind this tool writes needs force, an all-zero image (a
// clear) needs yes; worded in language.
std::optional<std::string> ImageRefusal(const DecodedCard& decoded, bool yes, bool force, Language language);

}  // namespace morvik
