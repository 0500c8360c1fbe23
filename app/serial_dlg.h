// The main window: template 103, the writer's port, the operator's entries
// and every command of the window.
#pragma once

#include <string>

#include "app/dialog/dialog.h"
#include "card/card_operations.h"

namespace morvik {

// Where the minimised window draws its icon: the icon centred in the client
// area, each coordinate (client - icon + 1) / 2, truncated toward zero.
struct IconOrigin {
  int x;
  int y;
};
IconOrigin CentredIconOrigin(PixelSize client, PixelSize icon);

// Loads an icon of the program's resources; 0 when there is none.
IconHandle LoadIconResource(int resourceId);

class CSerialDlg : public CDialog, public CardOperations {
 public:
  CSerialDlg(DialogHost& host, SerialPlatform& platform, Clock& clock);
  ~CSerialDlg() override = default;

  static const MessageMap& ClassMessageMap();

  // Handlers of the window's own messages and commands.
  void OnSystemCommand(std::uintptr_t commandValue, std::intptr_t parameter);
  void OnPaintWindow();
  IconHandle OnQueryIcon() const { return appIcon_; }
  void OnExit();
  void OnAbout();
  void OnWindowDestroy();
  void OnMailCheck();

  const CComboBox& volumeList() const { return volumeList_; }
  const CComboBox& soundTypeList() const { return soundTypeList_; }
  const CComboBox& ledPatternList() const { return ledPatternList_; }
  const CComboBox& modeList() const { return modeList_; }
  const CComboBox& releaseTimeList() const { return releaseTimeList_; }
  const CComboBox& autoOffTimeList() const { return autoOffTimeList_; }
  const std::string& urlEntry() const { return urlEntry_; }
  const std::string& popupEntry() const { return popupEntry_; }
  const std::string& mailToEntry() const { return mailToEntry_; }
  const std::string& mailCcEntry() const { return mailCcEntry_; }
  const std::string& mailTitleEntry() const { return mailTitleEntry_; }
  const std::string& mailBodyEntry() const { return mailBodyEntry_; }
  const std::string& uidEntry() const { return uidEntry_; }
  IconHandle appIcon() const { return appIcon_; }

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMessageMap(); }
  void ExchangeEntries(ExchangeDirection direction) override;
  bool InitWindow() override;
  // The write and clear commands take the entries from the controls first.
  void ExchangeEntriesFromControls() override {
    ExchangeEntries(ExchangeDirection::kFromControls);
  }

 private:
  void SetInitialTexts();
  void AddAboutToSystemMenu();
  void SetWindowIcons();

  CComboBox volumeList_;
  CComboBox soundTypeList_;
  CComboBox ledPatternList_;
  CComboBox modeList_;
  CComboBox releaseTimeList_;
  CComboBox autoOffTimeList_;
  std::string urlEntry_;
  std::string popupEntry_;
  std::string mailToEntry_;
  std::string mailCcEntry_;
  std::string mailTitleEntry_;
  std::string mailBodyEntry_;
  std::string uidEntry_;
  IconHandle appIcon_ = 0;
};

}  // namespace morvik
