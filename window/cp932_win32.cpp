// Code page 932 through Windows' own conversion, with its default best fit.
// One character per call, so that a character replaced by the default
// character is known by its place in the text.
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <array>
#include <climits>

#include "window/cp932.h"

namespace morvik {
namespace {

constexpr UINT kCodePage = 932;

// The calls count in int: longer texts are refused rather than cut.
bool FitsInt(std::size_t size) { return size <= static_cast<std::size_t>(INT_MAX); }

std::optional<std::wstring> Widen(UINT codePage, std::string_view text) {
  if (text.empty()) return std::wstring();
  if (!FitsInt(text.size())) return std::nullopt;
  const int size = static_cast<int>(text.size());
  const int wide = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (wide <= 0) return std::nullopt;
  std::wstring result(static_cast<std::size_t>(wide), L'\0');
  if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, result.data(), wide) !=
      wide) {
    return std::nullopt;
  }
  return result;
}

// UTF-16 of one character: one unit, or a surrogate pair.
std::wstring Utf16Of(char32_t character) {
  if (character < 0x10000) return std::wstring(1, static_cast<wchar_t>(character));
  const char32_t offset = character - 0x10000;
  return {static_cast<wchar_t>(0xD800 + (offset >> 10)),
          static_cast<wchar_t>(0xDC00 + (offset & 0x3FF))};
}

}  // namespace

std::optional<std::string> Cp932CharacterBytes(char32_t character) {
  const std::wstring wide = Utf16Of(character);
  std::array<char, 8> bytes{};
  BOOL usedDefault = FALSE;
  const int count = WideCharToMultiByte(kCodePage, 0, wide.data(), static_cast<int>(wide.size()),
                                        bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                        &usedDefault);
  if (count <= 0 || usedDefault) return std::nullopt;
  return std::string(bytes.data(), static_cast<std::size_t>(count));
}

std::optional<std::string> DecodeCp932(std::string_view cp932) {
  const std::optional<std::wstring> wide = Widen(kCodePage, cp932);
  if (!wide) return std::nullopt;
  if (wide->empty()) return std::string();
  if (!FitsInt(wide->size())) return std::nullopt;
  const int size = static_cast<int>(wide->size());
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide->data(), size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::nullopt;
  std::string result(static_cast<std::size_t>(bytes), '\0');
  if (WideCharToMultiByte(CP_UTF8, 0, wide->data(), size, result.data(), bytes, nullptr, nullptr) !=
      bytes) {
    return std::nullopt;
  }
  return result;
}

}  // namespace morvik
