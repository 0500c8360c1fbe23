#include "cli/card_image_options.h"

#include <memory>
#include <string>
#include <utility>

#include "content/terminal_settings.h"
#include "window/control_ids.h"
#include "window/cp932.h"

namespace morvik {
namespace {

// Composing a card never opens a port.
class NoPorts final : public SerialPlatform {
 public:
  std::unique_ptr<SerialDevice> Open(std::string_view) override { return nullptr; }
};

}  // namespace

void PutContentIntoWindow(HeadlessWindow& window, const CliOptions& options) {
  const ContentOptions& content = options.content;
  FillSettingsLists(window);
  for (const TextField& field : kTextFields) window.SetControlText(field.controlId, content.*field.text);
  for (const ListField& field : kListFields) window.SelectListItem(field.controlId, content.*field.choice);
  window.SetCheck(kIdcInitCardCheck, content.initCard ? 1 : 0);
  window.SetCheck(kIdcUidCardCheck, options.uidCard ? 1 : 0);
  window.SetControlText(kIdcServiceCid, options.uidCard.value_or(content.serviceCid.value_or("")));
}

void ResetContent(CardOperations& operations, const CliOptions& options) {
  ResetContentSettings(operations.contentSettings());
  operations.contentSettings().mailEnabled = options.content.mail ? 1 : 0;
}

std::optional<ContentImage> ComposeCard(CardOperations& operations, const CliOptions& options,
                                        std::array<std::uint8_t, 2> customerId) {
  ResetContent(operations, options);
  operations.customerId() = customerId;
  const bool typed = options.uidCard || options.content.serviceCid || options.content.readMark;
  if (typed && !operations.TakeTypedNumber(options.content.readMark)) return std::nullopt;
  return operations.ComposeCardImage();
}

std::optional<ContentImage> BuildCardImage(const CliOptions& options,
                                           std::array<std::uint8_t, 2> customerId,
                                           HeadlessWindow& window) {
  PutContentIntoWindow(window, options);
  NoPorts platform;
  SystemClock clock;
  CardOperations operations(platform, window, clock);
  return ComposeCard(operations, options, customerId);
}

std::string LookAlikes(const std::vector<BestFit>& fits, Language language) {
  std::string text;
  for (const BestFit& fit : fits) {
    text += Say({text.empty() ? Said::kLookAlikeFirst : Said::kLookAlikeMore, {fit.character, fit.writtenAs}}, language);
  }
  return text;
}

std::vector<OptionBestFits> BestFitsOf(const CliOptions& options, const CliOptions* base) {
  std::vector<OptionBestFits> found;
  for (const TextField& field : kTextFields) {
    const std::string& text = options.content.*field.text;
    if (base != nullptr && text == base->content.*field.text) continue;
    std::vector<BestFit> fits = BestFits(text);
    if (!fits.empty()) found.push_back({field.name, std::move(fits)});
  }
  return found;
}

std::vector<std::string> BestFitNotes(const CliOptions& options, const CliOptions* base) {
  std::vector<std::string> notes;
  for (const OptionBestFits& option : BestFitsOf(options, base)) {
    notes.push_back("--" + std::string(option.column) + ": " + LookAlikes(option.fits));
  }
  return notes;
}

std::optional<ContentImage> QuietImage(const CliOptions& options, std::array<std::uint8_t, 2> cid) {
  HeadlessWindow window;
  window.SetDefaultAnswer(kIdOk);
  return BuildCardImage(options, cid, window);
}

}  // namespace morvik
