// The main window's card commands: detection, block commands, writing content
// and service cards, clearing and the dump. The main window class derives from
// this, so these are its own operations.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "content/content_settings.h"
#include "link/writer_link.h"

namespace morvik {

// The 8-byte IDm of the card on the writer, as the detection reply gives it.
using CardIdm = std::array<std::uint8_t, 8>;
inline constexpr int kCardBlocks = 64;
inline constexpr int kBlockSize = 4;

class CardOperations : public WriterLink {
 public:
  CardOperations(SerialPlatform& platform, WindowServices& window, Clock& clock);

  bool DetectCard(CardIdm& idm);
  void OnCheckUid();
  bool WriteBlock(std::span<const std::uint8_t, kBlockSize> data, std::uint8_t block,
                  const CardIdm& idm);
  bool ReadBlocks(std::span<std::uint8_t> reply, std::uint8_t firstBlock, std::uint8_t blockCount,
                  const CardIdm& idm);
  // Writes blocks 0-63 in order, stopping at the first failure. True when all
  // 64 were written; after a failure the operator has been told.
  bool WriteCardImage(std::span<const std::uint8_t, kContentImageSize> image, const CardIdm& idm);

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
  ContentSettings contentSettings_;
  std::int32_t serviceCid_ = 0;
  std::uint8_t readCardMark_ = 0;
  std::array<std::uint8_t, 2> startUid_{};
};

}  // namespace morvik
