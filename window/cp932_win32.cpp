// Code page 932 through the Windows conversion calls, refusing best-fit
// look-alikes and default characters.
#include <windows.h>

#include "window/cp932.h"

namespace morvik {
namespace {

constexpr UINT kCodePage = 932;

std::optional<std::wstring> Widen(UINT codePage, std::string_view text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int wide = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (wide <= 0) return std::nullopt;
  std::wstring result(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, result.data(), wide);
  return result;
}

std::optional<std::string> Narrow(UINT codePage, const std::wstring& text, bool strict) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  const DWORD flags = strict ? WC_NO_BEST_FIT_CHARS : 0;
  BOOL* defaultUsed = strict ? &usedDefault : nullptr;
  const int bytes =
      WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, defaultUsed);
  if (bytes <= 0 || usedDefault) return std::nullopt;
  std::string result(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, flags, text.data(), size, result.data(), bytes, nullptr, nullptr);
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
