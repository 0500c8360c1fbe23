// The 256-byte content image a Morvik terminal reads from the card: a header,
// the URL section, the mail section in mail mode, zero fill and a trailer with
// the check byte, the customer ID and the terminal's settings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "content/content_settings.h"
#include "window/window_services.h"

namespace morvik {

inline constexpr std::size_t kCheckByte = 248;
inline constexpr std::size_t kPowerSettingsByte = 249;
inline constexpr std::size_t kDisplaySettingsByte = 254;
inline constexpr std::size_t kInitCardByte = 255;

// Runs the keyword steps, ends the popup with its line terminator, checks the
// length limits and composes the image. False when the operator cancelled a
// keyword question or a limit was broken (a message has then been shown); the
// image is then of no use. Changes the texts of `settings`.
bool BuildContentImage(WindowServices& window, ContentSettings& settings,
                       const ContentValues& values, std::span<std::uint8_t, 256> image);

// Appends CR LF to a popup of 1 to 37 bytes and CR alone to one of 38, so a
// terminator never takes it past 39 bytes.
void AppendPopupTerminator(std::string& popup);

// The message for the first empty entry the card needs or broken length
// limit, naming the entries it concerns; nullopt when the texts (keywords
// resolved, popup terminated) fit the image.
std::optional<OperatorMessage> FindLimitViolation(const ContentSettings& settings);

// Writes all 256 bytes from settings that passed the limits. False, with the
// image of no use, when the sections would not fit before the trailer.
bool ComposeContentImage(const ContentSettings& settings, const ContentValues& values,
                         std::span<std::uint8_t, 256> image);

// Low 8 bits of the sum of bytes 8-11 and 14-247.
std::uint8_t ContentCheckByte(std::span<const std::uint8_t, 256> image);

}  // namespace morvik
