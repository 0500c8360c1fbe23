// The main window on a headless host with a simulated writer on COM3: its
// start, its command table, the mail check box, the mode rule, the keys that
// end it, the About box and the minimised window's icon.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/about_dlg.h"
#include "app/dialog/headless_dialog_host.h"
#include "app/dialog/painting_clock.h"
#include "app/serial_app.h"
#include "app/serial_dlg.h"
#include "sim/loopback_serial.h"
#include "window/control_ids.h"

namespace morvik {
namespace {

constexpr int kWriterCom = 3;
const char kInitialUrl[] = "http://www.example.com/D/?CI=[CI]&UI=[UI]&IDm=[IM][CT]";

// Runs a check the first time a port is opened: the moment the connect starts.
class ObservedPlatform final : public SerialPlatform {
 public:
  explicit ObservedPlatform(SerialPlatform& inner) : inner_(inner) {}
  std::unique_ptr<SerialDevice> Open(std::string_view path) override {
    if (onFirstOpen_) std::exchange(onFirstOpen_, nullptr)();
    return inner_.Open(path);
  }
  std::vector<RefusedDevice> TakeRefusals() override { return inner_.TakeRefusals(); }
  void OnFirstOpen(std::function<void()> check) { onFirstOpen_ = std::move(check); }

 private:
  SerialPlatform& inner_;
  std::function<void()> onFirstOpen_;
};

struct Rig {
  Rig() { loopback.AttachWriter(kWriterCom, writer); }

  sim::VirtualClock clock;
  sim::LoopbackPlatform loopback{clock};
  ObservedPlatform platform{loopback};
  sim::WriterModel writer;
  HeadlessDialogHost host;
  CSerialDlg window{host, platform, clock};

  HeadlessWindow& controls() { return host.window(); }
  bool portOpen() { return loopback.port(kWriterCom).open; }
  int opens() { return loopback.port(kWriterCom).opens; }
  bool Dispatched(const Message& wanted) const {
    for (const Message& message : host.dispatched()) {
      if (message.message == wanted.message && message.wParam == wanted.wParam) return true;
    }
    return false;
  }
};

struct ListStart {
  int id;
  int selection;
};
constexpr ListStart kListStarts[] = {{kIdcVolumeList, 3},     {kIdcSoundTypeList, 0},
                                     {kIdcLedPatternList, 3}, {kIdcModeList, 0},
                                     {kIdcAutoOffTimeList, 0}, {kIdcReleaseTimeList, 0}};
constexpr int kMailEntries[] = {kIdcMailTo, kIdcMailCc, kIdcMailTitle, kIdcMailBody};

TEST(MainWindowStart, ConnectStartsOnlyOnceTheWindowIsInitialised) {
  Rig rig;
  rig.window.contentSettings().volume = 0;
  rig.window.contentSettings().mailEnabled = 1;
  rig.window.contentSettings().powerMode = 2;
  rig.window.serviceCid() = 7;
  bool checked = false;
  rig.platform.OnFirstOpen([&] {
    checked = true;
    // Each list filled, then selected, one after the other in the window's order.
    std::vector<ListStep> steps;
    for (const ListStep& step : rig.controls().listSteps()) {
      if (steps.empty() || !(steps.back() == step)) steps.push_back(step);
    }
    std::vector<ListStep> inOrder;
    for (const ListStart& list : kListStarts) {
      EXPECT_EQ(rig.controls().control(list.id).items.size(), 4u) << list.id;
      EXPECT_EQ(rig.controls().GetListSelection(list.id), list.selection) << list.id;
      inOrder.insert(inOrder.end(), {{list.id, false}, {list.id, true}});
    }
    EXPECT_EQ(steps, inOrder);
    EXPECT_FALSE(rig.host.IsEnabled(kIdcReleaseTimeList));
    EXPECT_TRUE(rig.host.IsEnabled(kIdcAutoOffTimeList));
    for (const int entry : kMailEntries) EXPECT_FALSE(rig.host.IsEnabled(entry)) << entry;
    EXPECT_EQ(rig.host.focus(), kIdcUrl);
    EXPECT_EQ(rig.controls().text(kIdcUrl), kInitialUrl);
    EXPECT_EQ(rig.controls().text(kIdcPopup), "ポップアップサンプル");
    EXPECT_EQ(rig.controls().text(kIdcMailTitle), "Sample Title");
    EXPECT_EQ(rig.controls().text(kIdcMailBody),
              "*Sample Content* IDm&Count=[IM][CT] CustomID=[CI] UnitID=[UI]");
    EXPECT_EQ(rig.controls().text(kIdcCustomerId), "");
    const ContentSettings& settings = rig.window.contentSettings();
    EXPECT_EQ(settings.volume, 3);
    EXPECT_EQ(settings.ledPattern, 3);
    EXPECT_EQ(settings.mailEnabled, 0);
    EXPECT_EQ(settings.powerMode, 2) << "the reset leaves the mode alone";
    EXPECT_EQ(rig.window.serviceCid(), 0);
  });
  EXPECT_EQ(rig.window.DoModal(), kDialogCancelled);
  EXPECT_TRUE(checked);
  EXPECT_EQ(rig.controls().text(kIdcCustomerId), "1234");
  EXPECT_EQ(rig.loopback.OpenedPorts(), std::vector<int>{kWriterCom}) << "one connect per run";
  EXPECT_FALSE(rig.portOpen());
}

TEST(MainWindowStart, SystemMenuAndIcons) {
  Rig rig;
  rig.window.DoModal();
  ASSERT_EQ(rig.host.systemMenu().size(), 2u);
  EXPECT_EQ(rig.host.systemMenu()[0].text, "") << "a separator first";
  EXPECT_EQ(rig.host.systemMenu()[1].commandValue, 0x0010u);
  EXPECT_EQ(rig.host.systemMenu()[1].text, "&About Morvik...");
  EXPECT_EQ(rig.host.icon(IconKind::kLarge), 128);
  EXPECT_EQ(rig.host.icon(IconKind::kSmall), 128);
}

TEST(MainWindowStart, NoWriterAndCancelEndsTheProcessWithStatusOne) {
  Rig rig;
  rig.loopback.RemovePort(kWriterCom);
  bool operatorActed = false;
  rig.host.Then([&] { operatorActed = true; });
  rig.window.DoModal();
  EXPECT_EQ(rig.controls().exitStatus(), 1);
  ASSERT_EQ(rig.controls().messages().size(), 1u);
  EXPECT_EQ(rig.controls().messages()[0].type, kMbRetryCancelError);
  EXPECT_FALSE(operatorActed);
}

TEST(MainWindowStart, ApplicationRunsTheWindowAndEnds) {
  sim::VirtualClock clock;
  sim::LoopbackPlatform platform{clock};
  sim::WriterModel writer;
  platform.AttachWriter(kWriterCom, writer);
  HeadlessDialogHost host;
  CSerialApp app(platform, clock);
  std::intptr_t help = -1;
  host.Then([&] { help = app.mainWindow()->Dispatch(CommandMessage(kIdHelp)); });
  host.MenuCommand(kIdcExit);
  EXPECT_EQ(app.Run(host), 0);
  EXPECT_EQ(help, 0);
  EXPECT_EQ(host.shownTemplates(), std::vector<int>{103});
  EXPECT_FALSE(platform.port(kWriterCom).open);
  EXPECT_EQ(app.mainWindow(), nullptr);
}

// The start-up waits 500 ms per port: waits are cut into 50 ms slices with the
// window painted after each, so that a scan never freezes it.
TEST(PaintingClock, PaintsAfterEverySliceOfAWait) {
  struct CountingWindow : HeadlessWindow {
    int paints = 0;
    void KeepPainting() override { ++paints; }
  } window;
  sim::VirtualClock inner;
  PaintingClock clock(inner, window);
  clock.Sleep(120);
  EXPECT_EQ(inner.NowMs(), 120);
  EXPECT_EQ(window.paints, 3);
}

struct CommandCase {
  const char* name;
  Message message;
  std::function<void(Rig&)> arrange;
  std::function<void(Rig&, std::intptr_t)> check;  // right after the handler returned
};

const CommandCase kCommandCases[] = {
    {"write", CommandMessage(kIdcWrite), nullptr,
     [](Rig& rig, std::intptr_t) {
       EXPECT_EQ(rig.writer.slot().memory[0], 0x4D);
       EXPECT_EQ(rig.controls().waitCursorBegins(), 1);
     }},
    {"UID check", CommandMessage(kIdcCheckUid), nullptr,
     [](Rig& rig, std::intptr_t) { EXPECT_EQ(rig.controls().text(kIdcUidDisplay), "0123456789ABCDEF"); }},
    {"exit", CommandMessage(kIdcExit), nullptr,
     [](Rig& rig, std::intptr_t) { EXPECT_FALSE(rig.portOpen()); }},
    {"dump", CommandMessage(kIdcDump), nullptr,
     [](Rig& rig, std::intptr_t) {
       EXPECT_FALSE(rig.controls().text(kIdcReport).starts_with("MRVKVer="));
     }},
    {"connect command", CommandMessage(kIdmConnect), nullptr,
     [](Rig& rig, std::intptr_t) { EXPECT_EQ(rig.opens(), 2); }},
    {"about", CommandMessage(kIdmAbout), nullptr,
     [](Rig& rig, std::intptr_t) { EXPECT_EQ(rig.host.shownTemplates(), (std::vector<int>{103, 100})); }},
    {"connect request", {WM_CONNECT_WRITER, 0, 0}, nullptr,
     [](Rig& rig, std::intptr_t result) {
       EXPECT_EQ(rig.opens(), 2);
       EXPECT_EQ(result, 0);
     }},
    {"destroy", {WM_DESTROY, 0, 0}, nullptr,
     [](Rig& rig, std::intptr_t) { EXPECT_FALSE(rig.portOpen()); }},
    {"mail check", CommandMessage(kIdcMailCheck),
     [](Rig& rig) { rig.controls().SetCheck(kIdcMailCheck, 1); },
     [](Rig& rig, std::intptr_t) { EXPECT_EQ(rig.window.contentSettings().mailEnabled, 1); }},
    {"write card", CommandMessage(kIdcCreateWriteCard),
     [](Rig& rig) { rig.controls().SetControlText(kIdcServiceCid, "291"); },
     [](Rig& rig, std::intptr_t) {
       EXPECT_EQ(rig.window.serviceCid(), 0x291) << "the entry is hexadecimal";
       EXPECT_EQ(rig.writer.slot().memory[0], 0x4D);
     }},
    {"clear", CommandMessage(kIdcClear),
     [](Rig& rig) { rig.writer.slot().memory.fill(0xFF); },
     [](Rig& rig, std::intptr_t) { EXPECT_EQ(rig.writer.slot().memory, sim::CardImage{}); }},
    {"read card", CommandMessage(kIdcCreateReadCard),
     [](Rig& rig) { rig.controls().SetControlText(kIdcServiceCid, "291"); },
     [](Rig& rig, std::intptr_t) { EXPECT_EQ(rig.window.readCardMark(), 1); }},
    {"mode change", CommandMessage(kIdcModeList, kCbnSelChange),
     [](Rig& rig) { rig.controls().SelectListItem(kIdcModeList, 2); },
     [](Rig& rig, std::intptr_t) { EXPECT_TRUE(rig.host.IsEnabled(kIdcReleaseTimeList)); }},
    {"system menu About", SystemCommandMessage(0x0010), nullptr,
     [](Rig& rig, std::intptr_t) { EXPECT_EQ(rig.host.shownTemplates().size(), 2u); }},
    {"drag icon", {WM_QUERYDRAGICON, 0, 0}, nullptr,
     [](Rig&, std::intptr_t result) { EXPECT_EQ(result, 128); }},
};

// Every row of the command table is reached by one case here, WM_PAINT by
// MinimisedWindow below; nothing else is in the table.
TEST(MainWindowCommands, EveryIdentifierReachesItsHandler) {
  EXPECT_EQ(CSerialDlg::ClassMessageMap().entries.size(), std::size(kCommandCases) + 1);
  for (const CommandCase& command : kCommandCases) {
    SCOPED_TRACE(command.name);
    Rig rig;
    rig.host.Then([&] {
      if (command.arrange) command.arrange(rig);
      command.check(rig, rig.window.Dispatch(command.message));
    });
    rig.window.DoModal();
  }
}

TEST(MainWindowCommands, HiddenControlsCannotBeReached) {
  Rig rig;
  for (const int hidden : {kIdcCheckUid, kIdcDump, kIdcCreateWriteCard, kIdcClear,
                           kIdcCreateReadCard, kIdcInitCardCheck, kIdcUidCardCheck}) {
    rig.host.Click(hidden);
  }
  rig.host.Focus(kIdcReport);
  rig.host.MenuCommand(kIdHelp);
  rig.window.DoModal();
  EXPECT_EQ(rig.writer.requests().size(), 5u) << "only the start-up sequence";
  EXPECT_EQ(rig.controls().GetCheck(kIdcInitCardCheck), 0);
  EXPECT_EQ(rig.controls().GetCheck(kIdcUidCardCheck), 0);
  EXPECT_TRUE(rig.controls().messages().empty());
}

TEST(MailCheckBox, SwitchesMailAndTheFourEntriesKeepingTheirTexts) {
  Rig rig;
  std::vector<std::string> before;
  auto expectMail = [&](bool on) {
    EXPECT_EQ(rig.window.contentSettings().mailEnabled, on ? 1 : 0);
    EXPECT_EQ(rig.controls().GetCheck(kIdcMailCheck), on ? 1 : 0);
    for (const int entry : kMailEntries) EXPECT_EQ(rig.host.IsEnabled(entry), on) << entry;
    std::vector<std::string> texts;
    for (const int entry : kMailEntries) texts.push_back(rig.controls().text(entry));
    EXPECT_EQ(texts, before);
  };
  rig.host.Then([&] {
    for (const int entry : kMailEntries) before.push_back(rig.controls().text(entry));
  });
  rig.host.Type(kIdcMailTo, "ignored@example.com");  // disabled: the operator cannot type
  rig.host.Click(kIdcMailCheck);
  rig.host.Then([&] { expectMail(true); });
  rig.host.Click(kIdcMailCheck);
  rig.host.Then([&] { expectMail(false); });
  rig.host.Click(kIdcMailCheck);
  rig.host.Then([&] { expectMail(true); });
  rig.window.DoModal();
  EXPECT_EQ(before[0], "to@example.com");
  EXPECT_EQ(before[1], "cc@example.com");
}

TEST(ModeList, ReleaseTimeOnlyForTheIntervalModesAndKeepsItsChoice) {
  const bool releaseEnabled[] = {false, false, true, true};
  Rig rig;
  for (const int mode : {2, 0, 3, 1, 3}) {
    rig.host.Choose(kIdcModeList, mode);
    rig.host.Then([&rig, mode, expected = releaseEnabled[mode]] {
      EXPECT_EQ(rig.host.IsEnabled(kIdcReleaseTimeList), expected) << "mode " << mode;
    });
  }
  rig.host.Choose(kIdcReleaseTimeList, 3);
  rig.host.Choose(kIdcModeList, 1);
  rig.host.Then([&] {
    EXPECT_FALSE(rig.host.IsEnabled(kIdcReleaseTimeList));
    EXPECT_EQ(rig.controls().GetListSelection(kIdcReleaseTimeList), 3);
    EXPECT_TRUE(rig.host.IsEnabled(kIdcAutoOffTimeList));
  });
  rig.window.DoModal();
}

// After a URL was typed: the result, whether the window went through the exit
// command or stayed, whether the entries were taken, and the port closed.
TEST(WindowEnd, EnterMenuExitEscapeCloseBoxAndEnterOnTheWriteButton) {
  struct Case {
    const char* name;
    std::function<void(HeadlessDialogHost&)> act;
    int result;
    bool exits, stays, writes;
  };
  using Host = HeadlessDialogHost;
  const Case cases[] = {
      {"Enter in an entry", [](Host& h) { h.PressEnter(); }, kDialogAccepted, true, false, false},
      {"File menu exit", [](Host& h) { h.MenuCommand(kIdcExit); }, kDialogAccepted, true, false,
       false},
      {"Escape", [](Host& h) { h.PressEscape(); }, kDialogCancelled, false, false, false},
      {"close box", [](Host& h) { h.CloseBox(); }, kDialogCancelled, false, false, false},
      {"Enter on the write button", [](Host& h) { h.Focus(kIdcWrite); h.PressEnter(); },
       kDialogCancelled, false, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    bool stayed = false;
    rig.host.Type(kIdcUrl, "http://typed.example.com/");
    rig.host.Then([&] { EXPECT_TRUE(rig.portOpen()); });
    c.act(rig.host);
    rig.host.Then([&] { stayed = true; });
    EXPECT_EQ(rig.window.DoModal(), c.result);
    EXPECT_EQ(stayed, c.stays);
    EXPECT_EQ(rig.Dispatched(CommandMessage(kIdcExit)), c.exits);
    EXPECT_EQ(rig.window.urlEntry(), c.exits || c.writes ? "http://typed.example.com/" : kInitialUrl);
    EXPECT_EQ(rig.writer.slot().memory[0] == 0x4D, c.writes);
    EXPECT_FALSE(rig.portOpen());
  }
}

TEST(AboutBox, FromTheHelpMenuAndFromSystemCommandsOfItsFamily) {
  Rig rig;
  rig.host.MenuCommand(kIdmAbout);
  for (unsigned value = 0x0010; value <= 0x001F; ++value) rig.host.SystemMenu(value);
  for (const unsigned other : {0x0020u, 0xF010u, 0xF020u}) rig.host.SystemMenu(other);
  rig.window.DoModal();
  std::vector<int> shown{103};
  shown.insert(shown.end(), 17, 100);  // the menu item and 16 system command values
  EXPECT_EQ(rig.host.shownTemplates(), shown);
  EXPECT_EQ(rig.host.defaultSystemCommands(), (std::vector<unsigned>{0x0020, 0xF010, 0xF020}));
}

TEST(AboutBox, OkEscapeAndCloseBoxEndIt) {
  for (const Message end : {CommandMessage(1), CommandMessage(2), SystemCommandMessage(kScClose)}) {
    HeadlessDialogHost host;
    CAboutDlg about(host);
    host.Then([&] { about.Dispatch(end); });
    host.Then([] { ADD_FAILURE() << "the About box should have ended"; });
    about.DoModal();
  }
}

TEST(MinimisedWindow, PaintsItsIconOnlyWhenIconic) {
  Rig rig;
  rig.host.Then([&] { rig.window.Dispatch({WM_PAINT, 0, 0}); });
  rig.host.Then([&] {
    EXPECT_TRUE(rig.host.drawnIcons().empty());
    rig.host.SetIconic(true);
    rig.host.SetClientSize({33, 40});
    rig.window.Dispatch({WM_PAINT, 0, 0});
  });
  rig.window.DoModal();
  ASSERT_EQ(rig.host.drawnIcons().size(), 1u);
  EXPECT_EQ(rig.host.drawnIcons()[0].icon, 128);
  EXPECT_EQ(rig.host.drawnIcons()[0].x, 1);
  EXPECT_EQ(rig.host.drawnIcons()[0].y, 4);
  EXPECT_EQ(rig.host.iconBackgroundErases(), 1);
}

}  // namespace
}  // namespace morvik
