// What decode makes of an untrusted file: any bytes, read as the tool reads an
// image (the 256 bytes, or 512 hexadecimal digits), decoded and described.
// Nothing reads or points past the image, a damaged card is only ever one of
// the kinds that carry content, and the description names every field once.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "cli/card_description.h"
#include "cli/image_file.h"
#include "content/card_decode.h"
#include "content/content_image.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr std::size_t kSectionsEnd = 248;

bool CarriesContent(morvik::CardKind kind) {
  return kind == morvik::CardKind::kContent || kind == morvik::CardKind::kInitialisation ||
         kind == morvik::CardKind::kRead;
}

void CheckBlank(const std::optional<morvik::KeywordBlank>& blank) {
  if (blank) FUZZ_CHECK(blank->imageOffset + (blank->counter ? 20 : 16) <= kSectionsEnd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<morvik::ContentImage> image = morvik::CardFromText(text);
  if (!image) return 0;
  const morvik::DecodedCard card = morvik::DecodeCard(*image);
  const std::size_t texts = card.url.size() + card.popup.size() + card.mailTo.size() +
                            card.mailCc.size() + card.mailTitle.size() + card.mailBody.size();
  FUZZ_CHECK(texts <= kSectionsEnd);
  CheckBlank(card.urlBlank);
  CheckBlank(card.mailBlank);
  if (morvik::IsDamaged(card)) FUZZ_CHECK(CarriesContent(card.kind) && !morvik::DamageText(card).empty());
  if (CarriesContent(card.kind)) {
    FUZZ_CHECK(card.checkByteRight == ((*image)[kSectionsEnd] == morvik::ContentCheckByte(*image)));
  }
  std::set<std::string> names, keys;
  for (const auto& [name, key, value] : morvik::DescribeCard(card)) {
    FUZZ_CHECK(names.insert(name).second && keys.insert(key).second);
    FUZZ_CHECK(std::all_of(key.begin(), key.end(), [](char c) { return (c >= 'a' && c <= 'z') || c == '_'; }));
  }
  FUZZ_CHECK(names.contains("kind") && keys.contains("kind"));
  return 0;
}
