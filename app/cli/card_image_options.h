// The card image the write options describe, built as the window builds it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "app/cli/cli_options.h"
#include "content/content_settings.h"
#include "window/headless_window.h"

namespace morvik {

// The entries, lists and check box of the window, as the options give them.
void PutContentIntoWindow(HeadlessWindow& window, const ContentOptions& content);

// The image write would put on a card of a writer with this customer ID: a
// UID setting card, or the content card (the service number, when given,
// standing in for the customer ID as the service buttons do). nullopt when
// the content is refused or a keyword question answered Cancel; the window
// has shown why.
std::optional<ContentImage> BuildCardImage(const CliOptions& options,
                                           std::array<std::uint8_t, 2> customerId,
                                           HeadlessWindow& window);

}  // namespace morvik
