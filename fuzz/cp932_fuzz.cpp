// Code page 932 from arbitrary text: a character the code page lacks stands as
// "?" at the place the conversion names; a text without look-alikes comes back
// unchanged when decoded, and a cut at any limit is the longest prefix that
// still decodes, never half a character. An entry read through the headless
// window is that cut, refused only when the part kept holds such a character.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/fuzz_support.h"
#include "window/cp932.h"
#include "window/headless_window.h"

namespace {

// The cut of bytes that decode: a prefix that decodes to a prefix of the text.
void CheckCut(const std::string& bytes, const std::string& text, std::size_t limit) {
  const std::string_view cut = morvik::CutCp932(bytes, limit);
  FUZZ_CHECK(cut.size() <= limit && bytes.starts_with(cut));
  const std::optional<std::string> shown = morvik::DecodeCp932(cut);
  FUZZ_CHECK(shown && text.starts_with(*shown));
  // Longest: the next whole character would not have fitted.
  if (cut.size() < bytes.size()) {
    const bool lead = morvik::IsCp932LeadByte(static_cast<unsigned char>(bytes[cut.size()]));
    FUZZ_CHECK(cut.size() + (lead ? 2 : 1) > limit);
  }
}

// Any bytes at all: the cut never ends on a lone lead byte it could have
// left out, and never reaches past the bytes or the limit.
void CheckCutOfAnyBytes(std::string_view bytes, std::size_t limit) {
  const std::string_view cut = morvik::CutCp932(bytes, limit);
  FUZZ_CHECK(cut.size() <= limit && cut.size() <= bytes.size());
  std::size_t at = 0;
  while (at < cut.size())
    at += morvik::IsCp932LeadByte(static_cast<unsigned char>(cut[at])) ? 2 : 1;
  FUZZ_CHECK(at == cut.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t limit = data[0];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  CheckCutOfAnyBytes(text, limit);

  const morvik::Cp932Text converted = morvik::ConvertToCp932(text);
  const std::optional<std::string> bytes = morvik::EncodeCp932(text);
  morvik::HeadlessWindow window;
  window.SetControlText(1, text);
  const morvik::EntryText entry = window.GetEntryText(1, limit + 1);
  FUZZ_CHECK(bytes.has_value() == (converted.validUtf8 && converted.unmappableAt == 0));
  if (!converted.validUtf8) {
    FUZZ_CHECK(!entry.encodable && entry.bytes.empty());
    return 0;
  }
  FUZZ_CHECK(entry.bytes == morvik::CutCp932(converted.bytes, limit));
  const bool keptUnmappable =
      converted.unmappableAt != 0 && converted.unmappableOffset < entry.bytes.size();
  FUZZ_CHECK(entry.encodable == !keptUnmappable);
  if (converted.unmappableAt != 0) FUZZ_CHECK(converted.bytes[converted.unmappableOffset] == '?');
  if (bytes && morvik::DecodeCp932(*bytes) == text) CheckCut(*bytes, text, limit);
  return 0;
}
