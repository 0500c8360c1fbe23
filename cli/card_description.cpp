#include "cli/card_description.h"

#include <cstdio>

#include "content/card_fields.h"
#include "window/cp932.h"
#include "words/catalog.h"

namespace morvik {
namespace {

Said KindSaid(CardKind kind) {
  switch (kind) {
    case CardKind::kBlank:
      return Said::kCardKindBlank;
    case CardKind::kContent:
      return Said::kCardKindContent;
    case CardKind::kInitialisation:
      return Said::kCardKindInitialisation;
    case CardKind::kRead:
      return Said::kCardKindRead;
    case CardKind::kUidSetting:
      return Said::kCardKindUidSetting;
    case CardKind::kUnknown:
      break;
  }
  return Said::kCardKindUnknown;
}

std::string Hex4(std::array<std::uint8_t, 2> bytes) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X", bytes[0], bytes[1]);
  return text;
}

// Words one card's description in one language.
class Describer {
 public:
  explicit Describer(Language language) : language_(language) {}

  std::string Words(Said kind, std::vector<std::string> values = {}) const {
    return Say({kind, std::move(values)}, language_);
  }
  // Japanese names an entry as the window labels it.
  std::string_view Label(std::string_view windowLabel, std::string_view label) const {
    return language_ == Language::kJapanese ? windowLabel : label;
  }

  // Card texts are code page 932; a line terminator is not shown.
  std::string Shown(std::string text, bool lineEnd) const {
    while (lineEnd && !text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const std::optional<std::string> utf8 = DecodeCp932(text);
    return utf8 ? *utf8 : Words(Said::kCardTextNotCp932);
  }

  std::string BlankText(const KeywordBlank& blank) const {
    return Words(blank.counter ? Said::kCardBlanksCounter : Said::kCardBlanksIdm, {std::to_string(blank.imageOffset)});
  }

  std::string SettingText(const ListField& list, std::uint8_t position) const {
    if (position < list.items.size()) return std::to_string(position) + " " + std::string(list.items[position]);
    return std::to_string(position) + " " + Words(Said::kCardSettingNotInList);
  }

 private:
  Language language_;
};

void AddContent(const DecodedCard& card, const Describer& words, CardFields& fields) {
  fields.push_back({words.Words(Said::kCardCustomerId), "customer_id", Hex4(card.customerId)});
  for (const TextField& text : kTextFields) {
    if (text.mailOnly && !card.mail) continue;
    fields.push_back({std::string(words.Label(text.windowLabel, text.label)), std::string(text.name),
                      words.Shown(card.*text.text, text.lineEnd)});
  }
  if (card.urlBlank) fields.push_back({words.Words(Said::kCardUrlBlanks), "url_blanks", words.BlankText(*card.urlBlank)});
  if (card.mailBlank) {
    fields.push_back({words.Words(Said::kCardMailBlanks), "mail_blanks", words.BlankText(*card.mailBlank)});
  }
  for (const ListField& list : kListFields) {
    fields.push_back({std::string(words.Label(list.windowLabel, list.label)), std::string(list.name),
                      words.SettingText(list, card.*list.choice)});
  }
  fields.push_back({words.Words(Said::kCardCheckByte), "check_byte",
                    words.Words(card.checkByteRight ? Said::kCardCheckByteRight : Said::kCardCheckByteWrong)});
  if (!card.sectionsWhole) {
    fields.push_back({words.Words(Said::kCardSections), "sections", words.Words(Said::kCardSectionsCut)});
  }
}

}  // namespace

CardFields DescribeCard(const DecodedCard& card, Language language) {
  const Describer words(language);
  CardFields fields{{words.Words(Said::kCardKind), "kind", words.Words(KindSaid(card.kind))}};
  if (card.kind == CardKind::kUidSetting) {
    fields.push_back({words.Words(Said::kCardStartUid), "start_uid", Hex4(card.startUid)});
  }
  if (card.kind == CardKind::kContent || card.kind == CardKind::kInitialisation ||
      card.kind == CardKind::kRead) {
    AddContent(card, words, fields);
  }
  return fields;
}

}  // namespace morvik
