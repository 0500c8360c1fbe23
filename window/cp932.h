// Code page 932 as Windows' default conversion maps it: the bytes the card
// holds for what the operator typed. Conversion happens once, where an entry
// is read.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "window/cp932_bytes.h"
#include "window/window_services.h"

namespace morvik {

// One character's bytes as Windows converts it, best-fit look-alikes included
// (U+00A5 YEN SIGN becomes 5C); nullopt where Windows would put its default
// character '?'. One implementation per platform.
std::optional<std::string> Cp932CharacterBytes(char32_t character);

// A text converted character by character.
struct Cp932Text {
  std::string bytes;                 // '?' for each character the code page cannot hold
  std::size_t unmappableAt = 0;      // 1-based number of the first such character; 0: none
  std::size_t unmappableOffset = 0;  // where its '?' stands in bytes
  std::string unmappableCharacter;   // that character, UTF-8
  bool validUtf8 = true;             // false: bytes is empty
};
Cp932Text ConvertToCp932(std::string_view utf8);

// A character the card gets as a look-alike (Windows' best fit: "é" as "e",
// "¥" as "\"), both UTF-8.
struct BestFit {
  std::string character;
  std::string writtenAs;
};
// Every character of a UTF-8 text that converts to another one, once each,
// in the order of the text; nothing for invalid UTF-8.
std::vector<BestFit> BestFits(std::string_view utf8);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// The whole text, or nullopt when it is not valid UTF-8 or holds a character
// code page 932 cannot represent.
std::optional<std::string> EncodeCp932(std::string_view utf8);

// An entry read into a buffer of bufferSize bytes: converted, cut at a
// character boundary, and judged only on the part that is kept.
EntryText EntryFromUtf8(std::string_view utf8, std::size_t bufferSize);

// Code page 932 bytes back to UTF-8 (for showing card texts); nullopt when the
// bytes are not valid code page 932.
std::optional<std::string> DecodeCp932(std::string_view cp932);

// The longest prefix of at most maxBytes bytes that ends on a character boundary.
std::string_view CutCp932(std::string_view cp932, std::size_t maxBytes);

}  // namespace morvik
