// The card image the write options describe, composed as the window composes
// it: the entries put into the window, then the card operations' own steps.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cli/cli_options.h"
#include "card/card_operations.h"
#include "content/content_settings.h"
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

// The image built again for a writer (its customer ID goes into it) once the
// operator has answered every question: this time every answer is OK.
std::optional<ContentImage> QuietImage(const CliOptions& options, std::array<std::uint8_t, 2> cid);

}  // namespace morvik
