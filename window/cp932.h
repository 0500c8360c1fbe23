// Code page 932 as Windows maps it: the bytes the card holds for what the
// operator typed. Conversion happens once, where an entry is read.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace morvik {

// UTF-8 text to Windows code page 932 bytes (full-width tilde, minus, circled
// digits and the NEC/IBM rows as Windows maps them). nullopt when the text
// holds a character code page 932 cannot represent, or is not valid UTF-8.
std::optional<std::string> EncodeCp932(std::string_view utf8);

// Code page 932 bytes back to UTF-8 (for showing card texts); nullopt when the
// bytes are not valid code page 932.
std::optional<std::string> DecodeCp932(std::string_view cp932);

// True for a byte that starts a double-byte character.
bool IsCp932LeadByte(unsigned char byte);

// The longest prefix of at most maxBytes bytes that ends on a character boundary.
std::string_view CutCp932(std::string_view cp932, std::size_t maxBytes);

}  // namespace morvik
