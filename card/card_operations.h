// The main window's card commands: detection, block commands, writing content
// and service cards, clearing and the dump. The main window class derives from
// this, so these are its own operations.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "card/block_commands.h"
#include "content/content_settings.h"
#include "link/writer_link.h"

namespace morvik {

class CardOperations : public WriterLink {
 public:
  CardOperations(SerialPlatform& platform, WindowServices& window, Clock& clock);

  bool DetectCard(CardIdm& idm);
  void OnCheckUid();
  bool WriteBlock(std::span<const std::uint8_t, kBlockSize> data, std::uint8_t block,
                  const CardIdm& idm);
  bool ReadBlocks(std::span<std::uint8_t> reply, std::uint8_t firstBlock, std::uint8_t blockCount,
                  const CardIdm& idm);
  // Writes blocks 0-63 in order and stops at the first failure, with nothing
  // sent after it. The number of blocks written: 64 for the whole image.
  int WriteCardImage(std::span<const std::uint8_t, kContentImageSize> image, const CardIdm& idm);

  void OnWriteCard();
  void OnClearCard();
  void OnCreateWriteCard();
  void OnCreateReadCard();
  void OnDumpCard();
  void OnModeChanged();

  // Content building on this window's records.
  bool CaptureContentSettings();
  bool BuildContentImage(ContentSettings& settings, std::span<std::uint8_t, kContentImageSize> image);

  ContentSettings& contentSettings() { return contentSettings_; }
  std::int32_t& serviceCid() { return serviceCid_; }
  std::uint8_t& readCardMark() { return readCardMark_; }
  std::array<std::uint8_t, 2>& startUid() { return startUid_; }

 protected:
  // The window's data exchange from the controls, run first by the write and
  // clear commands. The main window overrides it.
  virtual void ExchangeEntriesFromControls() {}

 private:
  // The UID setting card when its check box is ticked, else the content card;
  // the number of blocks written (64 also when the build refused the content).
  int WriteContentOrUidCard(const CardIdm& idm);
  // A card left partly written is never silent: the operator is told which
  // block failed and to write again.
  void ReportPartialWrite(int written);
  // The number typed for a service card; nullopt (after a message) when refused.
  std::optional<std::int32_t> ReadTypedNumber();
  bool ReadDumpRequest(std::span<std::uint8_t> reply, std::uint8_t firstBlock, const CardIdm& idm);

  ContentSettings contentSettings_;
  std::int32_t serviceCid_ = 0;
  std::uint8_t readCardMark_ = 0;
  std::array<std::uint8_t, 2> startUid_{};
};

}  // namespace morvik
