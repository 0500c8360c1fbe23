// The card's fields: each entry and list of the window whose value a content
// card carries, with what the window, the card and the tool call it. The
// capture of the window's entries, the settings bytes of the image and their
// decode, and the tool's options, columns, rules and descriptions are made
// from these rows. A new list is a member of TerminalChoices, a row of
// kListFields, a control id and its place in the window's layout.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "words/catalog.h"

namespace morvik {

// The texts a content card carries: code page 932 bytes on the card. They
// are strings, not fixed buffers: the keyword blanks may grow a text past the
// 239 bytes an entry gives.
struct CardTexts {
  std::string url;
  std::string popup;
  std::string mailTo;
  std::string mailCc;
  std::string mailTitle;
  std::string mailBody;
};

// The terminal's settings a content card carries: positions in their lists.
struct TerminalChoices {
  std::uint8_t volume = 0;
  std::uint8_t soundType = 0;
  std::uint8_t ledPattern = 0;
  std::uint8_t powerMode = 0;
  std::uint8_t releaseTime = 0;
  std::uint8_t autoOffTime = 0;
};

// An entry whose text the card carries. Every entry holds one line.
struct TextField {
  std::string_view name;  // ASCII: the tool's option is "--" + name, its column is name
  int controlId;
  std::string CardTexts::*text;
  std::string_view windowLabel;  // the entry's label in the window, which its messages name
  std::string_view label;        // what a description of the card calls it
  Said help;                     // what the tool's help says of its option
  bool mailOnly;                 // on the card only in mail mode
  bool lineEnd;                  // the card holds it with its line terminator
};

// A list whose position the card carries in some bits of a settings byte.
struct ListField {
  std::string_view name;
  int controlId;
  std::uint8_t TerminalChoices::*choice;
  std::array<std::string_view, 4> items;  // inserted at positions 0 to 3
  std::uint8_t defaultIndex;
  std::string_view windowLabel;
  std::string_view label;
  std::size_t imageByte;
  unsigned lowestBit;
  unsigned bits;  // the card keeps the position's low bits only
};

// Both in the order the window reads them.
extern const std::array<TextField, 6> kTextFields;
extern const std::array<ListField, 6> kListFields;

// Every list at its default position.
TerminalChoices DefaultChoices();

}  // namespace morvik
