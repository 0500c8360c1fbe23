#include "app/serial_dlg.h"

#include "app/about_dlg.h"
#include "app/layout/resources.h"
#include "content/terminal_settings.h"
#include "window/control_ids.h"

namespace morvik {
namespace {

constexpr int kMailEntries[] = {kIdcMailTo, kIdcMailCc, kIdcMailTitle, kIdcMailBody};

}  // namespace

IconOrigin CentredIconOrigin(PixelSize client, PixelSize icon) {
  return {(client.width - icon.width + 1) / 2, (client.height - icon.height + 1) / 2};
}

IconHandle LoadIconResource(int resourceId) {
  return resourceId == kIdrMainIcon ? kIdrMainIcon : 0;
}

CSerialDlg::CSerialDlg(DialogHost& host, SerialPlatform& platform, Clock& clock)
    : CDialog(MainWindowTemplate(), host), CardOperations(platform, host.services(), clock) {
  SetInitialTexts();
  readCardMark() = 0;
  appIcon_ = LoadIconResource(kIdrMainIcon);
}

void CSerialDlg::SetInitialTexts() {
  for (std::string* entry : {&urlEntry_, &popupEntry_, &mailToEntry_, &mailCcEntry_,
                             &mailTitleEntry_, &mailBodyEntry_, &customerIdEntry_, &uidEntry_}) {
    entry->clear();
  }
  urlEntry_ = "http://www.example.com/D/?CI=[CI]&UI=[UI]&IDm=[IM][CT]";
  popupEntry_ = "ポップアップサンプル";
  mailToEntry_ = "to@example.com";
  mailCcEntry_ = "cc@example.com";
  mailTitleEntry_ = "Sample Title";
  mailBodyEntry_ = "*Sample Content* IDm&Count=[IM][CT] CustomID=[CI] UnitID=[UI]";
}

const MessageMap& CSerialDlg::ClassMessageMap() {
  using Map = MessageMapFor<CSerialDlg>;
  static constexpr MessageMapEntry kEntries[] = {
      Map::On<&CSerialDlg::OnSystemCommand>(WM_SYSCOMMAND),
      Map::On<&CSerialDlg::OnPaintWindow>(WM_PAINT),
      Map::On<&CSerialDlg::OnQueryIcon>(WM_QUERYDRAGICON),
      Map::Command<&CSerialDlg::OnWriteCard>(kIdcWrite),
      Map::Command<&CSerialDlg::OnCheckUid>(kIdcCheckUid),
      Map::Command<&CSerialDlg::OnExit>(kIdcExit),
      Map::Command<&CSerialDlg::OnDumpCard>(kIdcDump),
      Map::Command<&CSerialDlg::ConnectWriter>(kIdmConnect),
      Map::Command<&CSerialDlg::OnAbout>(kIdmAbout),
      Map::On<&CSerialDlg::OnConnectRequest>(WM_CONNECT_WRITER),
      Map::On<&CSerialDlg::OnWindowDestroy>(WM_DESTROY),
      Map::Command<&CSerialDlg::OnMailCheck>(kIdcMailCheck),
      Map::Command<&CSerialDlg::OnCreateWriteCard>(kIdcCreateWriteCard),
      Map::Command<&CSerialDlg::OnClearCard>(kIdcClear),
      Map::Command<&CSerialDlg::OnCreateReadCard>(kIdcCreateReadCard),
      Map::Command<&CSerialDlg::OnModeChanged>(kIdcModeList, kCbnSelChange),
  };
  static const MessageMap map{&CDialog::ClassMessageMap(), kEntries};
  return map;
}

void CSerialDlg::ExchangeEntries(ExchangeDirection direction) {
  ExchangeText(direction, kIdcUrl, urlEntry_);
  ExchangeText(direction, kIdcPopup, popupEntry_);
  ExchangeText(direction, kIdcMailTo, mailToEntry_);
  ExchangeText(direction, kIdcMailCc, mailCcEntry_);
  ExchangeText(direction, kIdcMailTitle, mailTitleEntry_);
  ExchangeText(direction, kIdcMailBody, mailBodyEntry_);
  ExchangeText(direction, kIdcCustomerId, customerIdEntry_);
  ExchangeText(direction, kIdcUidDisplay, uidEntry_);
  AttachList(volumeList_, kIdcVolumeList);
  AttachList(soundTypeList_, kIdcSoundTypeList);
  AttachList(ledPatternList_, kIdcLedPatternList);
  AttachList(modeList_, kIdcModeList);
  AttachList(releaseTimeList_, kIdcReleaseTimeList);
  AttachList(autoOffTimeList_, kIdcAutoOffTimeList);
}

bool CSerialDlg::InitWindow() {
  CDialog::InitWindow();
  AddAboutToSystemMenu();
  SetWindowIcons();
  services().PostMessage(WM_CONNECT_WRITER, 0, 0);
  FillSettingsLists(services());
  services().EnableControl(kIdcReleaseTimeList, false);
  services().EnableControl(kIdcAutoOffTimeList, true);
  ResetContentSettings(contentSettings());
  serviceCid() = 0;
  return true;
}

void CSerialDlg::AddAboutToSystemMenu() {
  if (!host().HasSystemMenu()) return;
  const std::string_view aboutItem = LoadStringResource(kIdsAboutItem);
  if (aboutItem.empty()) return;
  host().AppendSystemMenuSeparator();
  host().AppendSystemMenuItem(kSysCmdAbout, aboutItem);
}

void CSerialDlg::SetWindowIcons() {
  host().SetIcon(appIcon_, IconKind::kLarge);
  host().SetIcon(appIcon_, IconKind::kSmall);
}

void CSerialDlg::OnSystemCommand(std::uintptr_t commandValue, std::intptr_t parameter) {
  if ((commandValue & kSysCommandMask) == kSysCmdAbout) {
    OnAbout();
    return;
  }
  DefaultWindowProc({WM_SYSCOMMAND, commandValue, parameter});
}

void CSerialDlg::OnPaintWindow() {
  if (!host().IsIconic()) {
    DefaultWindowProc({WM_PAINT, 0, 0});
    return;
  }
  host().EraseIconBackground();
  const IconOrigin origin = CentredIconOrigin(host().ClientSize(), host().IconMetrics());
  host().DrawIcon(appIcon_, origin.x, origin.y);
}

void CSerialDlg::OnExit() {
  port().Close();
  OnOK();
}

void CSerialDlg::OnAbout() {
  const std::unique_ptr<DialogHost> aboutHost = host().CreateModalChild();
  CAboutDlg about(*aboutHost);
  about.DoModal();
}

void CSerialDlg::OnWindowDestroy() { port().Close(); }

void CSerialDlg::OnMailCheck() {
  const bool ticked = services().GetCheck(kIdcMailCheck) == 1;
  contentSettings().mailEnabled = ticked ? 1 : 0;
  for (const int entry : kMailEntries) services().EnableControl(entry, ticked);
}

}  // namespace morvik
