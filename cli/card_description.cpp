#include "cli/card_description.h"

#include <cstdio>

#include "content/card_fields.h"
#include "window/cp932.h"

namespace morvik {
namespace {

std::string KindText(CardKind kind) {
  switch (kind) {
    case CardKind::kBlank:
      return "blank";
    case CardKind::kContent:
      return "content card";
    case CardKind::kInitialisation:
      return "initialisation card";
    case CardKind::kRead:
      return "read card";
    case CardKind::kUidSetting:
      return "UID setting card";
    case CardKind::kUnknown:
      break;
  }
  return "not a card this tool writes";
}

std::string Hex4(std::array<std::uint8_t, 2> bytes) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X", bytes[0], bytes[1]);
  return text;
}

// Card texts are code page 932; a line terminator is not shown.
std::string Shown(std::string text, bool lineEnd) {
  while (lineEnd && !text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  const std::optional<std::string> utf8 = DecodeCp932(text);
  return utf8 ? *utf8 : "(not code page 932 text)";
}

std::string BlankText(const KeywordBlank& blank) {
  return "image byte " + std::to_string(blank.imageOffset) +
         (blank.counter ? ", 20 blanks for [IM][CT]" : ", 16 blanks for [IM]");
}

std::string SettingText(const ListField& list, std::uint8_t position) {
  if (position < list.items.size()) return std::to_string(position) + " " + std::string(list.items[position]);
  return std::to_string(position) + " (not in the list)";
}

void AddContent(const DecodedCard& card, CardFields& fields) {
  fields.push_back({"customer ID", "customer_id", Hex4(card.customerId)});
  for (const TextField& text : kTextFields) {
    if (text.mailOnly && !card.mail) continue;
    fields.push_back({std::string(text.label), std::string(text.name), Shown(card.*text.text, text.lineEnd)});
  }
  if (card.urlBlank) fields.push_back({"URL blanks", "url_blanks", BlankText(*card.urlBlank)});
  if (card.mailBlank) fields.push_back({"mail blanks", "mail_blanks", BlankText(*card.mailBlank)});
  for (const ListField& list : kListFields) {
    fields.push_back({std::string(list.label), std::string(list.name), SettingText(list, card.*list.choice)});
  }
  fields.push_back({"check byte", "check_byte", card.checkByteRight ? "right" : "wrong"});
  if (!card.sectionsWhole) fields.push_back({"sections", "sections", "lengths reach past the content: texts cut"});
}

}  // namespace

CardFields DescribeCard(const DecodedCard& card) {
  CardFields fields{{"kind", "kind", KindText(card.kind)}};
  if (card.kind == CardKind::kUidSetting) fields.push_back({"start UID", "start_uid", Hex4(card.startUid)});
  if (card.kind == CardKind::kContent || card.kind == CardKind::kInitialisation ||
      card.kind == CardKind::kRead) {
    AddContent(card, fields);
  }
  return fields;
}

}  // namespace morvik
