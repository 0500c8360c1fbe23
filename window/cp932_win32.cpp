// Code page 932 through the Windows conversion calls, refusing best-fit
// look-alikes and default characters. A leading U+FEFF stays a character (the
// calls never drop it), which code page 932 lacks: such a text is refused.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

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

std::optional<std::string> Narrow(UINT codePage, const std::wstring& text, bool strict) {
  if (text.empty()) return std::string();
  if (!FitsInt(text.size())) return std::nullopt;
  const int size = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  const DWORD flags = strict ? WC_NO_BEST_FIT_CHARS : 0;
  BOOL* defaultUsed = strict ? &usedDefault : nullptr;
  const int bytes =
      WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, defaultUsed);
  if (bytes <= 0 || usedDefault) return std::nullopt;
  std::string result(static_cast<std::size_t>(bytes), '\0');
  if (WideCharToMultiByte(codePage, flags, text.data(), size, result.data(), bytes, nullptr,
                          nullptr) != bytes) {
    return std::nullopt;
  }
  return result;
}

}  // namespace

std::optional<std::string> EncodeCp932(std::string_view utf8) {
  const std::optional<std::wstring> wide = Widen(CP_UTF8, utf8);
  if (!wide) return std::nullopt;
  return Narrow(kCodePage, *wide, true);
}

std::optional<std::string> DecodeCp932(std::string_view cp932) {
  const std::optional<std::wstring> wide = Widen(kCodePage, cp932);
  if (!wide) return std::nullopt;
  return Narrow(CP_UTF8, *wide, false);
}

}  // namespace morvik
