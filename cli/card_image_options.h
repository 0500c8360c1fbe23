// The card image the write options describe, composed as the window composes
// it: the entries put into the window, then the card operations' own steps.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_options.h"
#include "card/card_operations.h"
#include "content/content_settings.h"
#include "window/cp932.h"
#include "words/language.h"
#include "window/headless_window.h"

namespace morvik {

// The entries, lists, check boxes and service number of the window, as the
// options give them.
void PutContentIntoWindow(HeadlessWindow& window, const CliOptions& options);

// The content record as the window's reset leaves it, with the mail flag the
// options give: what every content build starts from.
void ResetContent(CardOperations& operations, const CliOptions& options);

// The card write puts on a card of a writer with this customer ID, composed by
// `operations` as the service card buttons and the write button compose it
// (the entries already in its window). nullopt when the number or the content
// is refused or a question answered Cancel; the window has shown why.
std::optional<ContentImage> ComposeCard(CardOperations& operations, const CliOptions& options,
                                        std::array<std::uint8_t, 2> customerId);

// The same on `window` alone, without a port: the entries are put first.
std::optional<ContentImage> BuildCardImage(const CliOptions& options,
                                           std::array<std::uint8_t, 2> customerId,
                                           HeadlessWindow& window);

// "--url: é is written as e, ü as u" for each text option holding characters
// the card gets as look-alikes (the window's conversion does the same without
// a word); with `base`, only the options whose text differs from base's.
std::vector<std::string> BestFitNotes(const CliOptions& options, const CliOptions* base = nullptr);

// The characters of one text option the card gets as look-alikes.
struct OptionBestFits {
  std::string_view column;  // the option without "--", as a list's column names it
  std::vector<BestFit> fits;
};
// Every text option holding such characters; with `base`, only those whose
// text differs from base's.
std::vector<OptionBestFits> BestFitsOf(const CliOptions& options, const CliOptions* base = nullptr);
// "é is written as e, ü as u".
std::string LookAlikes(const std::vector<BestFit>& fits, Language language = Language::kEnglish);

// The image built again for a writer (its customer ID goes into it) once the
// operator has answered every question: this time every answer is OK.
std::optional<ContentImage> QuietImage(const CliOptions& options, std::array<std::uint8_t, 2> cid);

}  // namespace morvik
