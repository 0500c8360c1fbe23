// The card commands on the in-process simulator: what goes over the wire, what
// the card holds afterwards, and what the operator is told.
#include "card/card_operations.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "content/terminal_settings.h"
#include "sim/loopback_serial.h"
#include "tests/support/abc_card.h"
#include "window/control_ids.h"
#include "window/headless_window.h"

namespace morvik {
namespace {

using V = std::vector<std::uint8_t>;
using sim::RequestKind;

const char kNoCardText[] =
    "ICカードを正しく読み取れません。ICカードの位置を確認してください。もしくは対応していないICカード"
    "である可能性があります。";

ContentImage AbcContentCard() { return test::AbcContentCard(0x12, 0x34, 0x85); }

sim::CardImage Filled(std::uint8_t value) {
  sim::CardImage card;
  card.fill(value);
  return card;
}

// Notes how deep the wait cursor is when a text reaches the report field.
class ReportWatchingWindow : public HeadlessWindow {
 public:
  void SetControlText(int controlId, std::string_view text) override {
    if (controlId == kIdcReport) cursorDepthAtReport = waitCursorDepth();
    HeadlessWindow::SetControlText(controlId, text);
  }
  int cursorDepthAtReport = -1;
};

class CardTest : public testing::Test {
 protected:
  CardTest() : platform(clock), dialog(platform, window, clock) {
    platform.AttachWriter(1, writer);
    dialog.ConnectWriter();
    FillSettingsLists(window);
    writer.ClearRequests();
  }

  std::vector<int> WrittenBlocks() const {
    std::vector<int> blocks;
    for (const V& request : writer.requests()) {
      if (sim::ClassifyRequest(request) == RequestKind::kBlockWrite) blocks.push_back(request[5]);
    }
    return blocks;
  }
  static std::vector<int> Blocks(int count) {
    std::vector<int> blocks(count);
    for (int i = 0; i < count; ++i) blocks[i] = i;
    return blocks;
  }
  int Count(RequestKind kind) const { return writer.CountRequests(kind); }
  template <class Set>
  void Fault(Set set) {
    sim::Faults faults;
    set(faults);
    writer.SetFaults(faults);
  }
  V Card(std::size_t from, std::size_t to) const {
    return V(writer.slot().memory.begin() + from, writer.slot().memory.begin() + to);
  }

  sim::VirtualClock clock;
  sim::LoopbackPlatform platform;
  sim::WriterModel writer;
  ReportWatchingWindow window;
  CardOperations dialog;
};

TEST_F(CardTest, DetectionRetriesAsOftenAsAskedAndCancelEndsTheCommand) {
  writer.RemoveCard();
  window.ScriptAnswers({kIdRetry, kIdRetry, kIdRetry, kIdCancel});
  window.SetControlText(kIdcUrl, "abc");
  dialog.OnWriteCard();
  EXPECT_EQ(Count(RequestKind::kDetection), 4);
  EXPECT_EQ(writer.requests().size(), 4u);
  ASSERT_EQ(window.messages().size(), 4u);
  EXPECT_EQ(window.messages()[0].text, kNoCardText);
  EXPECT_EQ(window.messages()[0].caption, "Error");
  EXPECT_EQ(window.messages()[0].type, 0x15u);
  EXPECT_EQ(window.waitCursorBegins(), 0);
}

TEST_F(CardTest, UidCheckShowsTheCardOnTheWriterNow) {
  dialog.OnCheckUid();
  EXPECT_EQ(window.text(kIdcUidDisplay), "0123456789ABCDEF");
  writer.InsertCard({0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10});
  dialog.OnCheckUid();
  EXPECT_EQ(window.text(kIdcUidDisplay), "FEDCBA9876543210");
  writer.RemoveCard();
  dialog.OnCheckUid();  // answered Cancel
  EXPECT_EQ(window.text(kIdcUidDisplay), "");
  EXPECT_EQ(Count(RequestKind::kDetection), 3);
  EXPECT_EQ(writer.requests().size(), 3u);
}

TEST_F(CardTest, ContentWriteLeavesTheImageOnTheCardSilently) {
  writer.slot().memory = Filled(0xEE);
  window.SetControlText(kIdcUrl, "abc");
  dialog.OnWriteCard();
  EXPECT_EQ(writer.slot().memory, AbcContentCard());
  EXPECT_EQ(WrittenBlocks(), Blocks(64));
  EXPECT_TRUE(window.messages().empty());
  EXPECT_EQ(window.waitCursorBegins(), 1);
  EXPECT_EQ(window.waitCursorDepth(), 0);
}

TEST_F(CardTest, FailedBlockStopsTheWriteAtItsOneTryAndTellsTheOperator) {
  writer.slot().memory = Filled(0xEE);
  window.SetControlText(kIdcUrl, "abc");
  Fault([](sim::Faults& f) { f.failBlockWriteAt = 10; });
  dialog.OnWriteCard();
  EXPECT_EQ(WrittenBlocks(), Blocks(10));
  const ContentImage expected = AbcContentCard();
  EXPECT_EQ(Card(0, 36), V(expected.begin(), expected.begin() + 36));
  EXPECT_EQ(Card(36, 256), V(220, 0xEE));
  ASSERT_EQ(window.messages().size(), 1u);
  const ShownMessage& told = window.messages()[0];
  EXPECT_EQ(told.type, 0x10u);
  EXPECT_EQ(told.caption, "Error");
  EXPECT_EQ(told.text,
            "ICカードへの書き込みがブロック9で失敗しました。ICカードは途中までしか書き込まれて"
            "いません。ICカードを置き直して、もう一度書き込んでください。");
  EXPECT_EQ(window.waitCursorDepth(), 0);

  Fault([](sim::Faults& f) { f.failBlockWriteAt = 1; });  // the first block: nothing written
  dialog.OnWriteCard();
  EXPECT_EQ(window.messages().back().text,
            "ICカードへの書き込みがブロック0で失敗しました。ICカードには何も書き込まれていません。"
            "ICカードを置き直して、もう一度書き込んでください。");
}

TEST_F(CardTest, ClearWritesSixtyFourZeroBlocksInOrder) {
  writer.slot().memory = Filled(0x5A);
  window.SetControlText(kIdcUrl, "");  // entries play no part in a clear
  dialog.OnClearCard();
  EXPECT_EQ(WrittenBlocks(), Blocks(64));
  for (const V& request : writer.requests()) {
    if (sim::ClassifyRequest(request) != RequestKind::kBlockWrite) continue;
    EXPECT_EQ(V(request.begin() + 7, request.begin() + 11), V(4, 0x00));
  }
  EXPECT_EQ(writer.slot().memory, sim::CardImage{});
  EXPECT_TRUE(window.messages().empty());
}

TEST_F(CardTest, CidWriteCardMakesAnInitialisationCardWithTheTypedCid) {
  window.SetControlText(kIdcUrl, "abc");
  window.SetControlText(kIdcServiceCid, "1A2B");
  dialog.OnCreateWriteCard();
  EXPECT_EQ(Card(4, 6), (V{0x1A, 0x2B}));
  EXPECT_EQ(Card(9, 11), (V{0x00, 0x00}));
  EXPECT_EQ(Card(250, 252), (V{0x1A, 0x2B}));
  EXPECT_EQ(writer.slot().memory[255], 0x20);
  EXPECT_EQ(dialog.serviceCid(), 0x1A2B);
  EXPECT_EQ(window.text(kIdcCustomerId), "1234");  // the field keeps the writer's own CID
}

// The number goes to the card as two bytes: one above FFFF, like text that is
// no number, is refused by both commands before any traffic rather than cut
// to a card for the wrong customer; a character
// the code page lacks after the digits ends the number like any other.
TEST_F(CardTest, TypedNumbersBeyondSixteenBitsAreRefusedEmptyIsZero) {
  window.SetControlText(kIdcUrl, "abc");
  for (const char* typed : {"10000", "-1", "12345678", "123456789", "XYZ"}) {
    window.SetControlText(kIdcServiceCid, typed);
    dialog.OnCreateWriteCard();
    dialog.OnCreateReadCard();
    EXPECT_TRUE(writer.requests().empty()) << typed;
    EXPECT_EQ(dialog.serviceCid(), 0);
    EXPECT_EQ(dialog.readCardMark(), 0);
    ASSERT_FALSE(window.messages().empty());
    EXPECT_EQ(window.messages().back().text,
              "入力された番号を16進数として読み取れません。FFFF以下の16進数を入力してください。");
  }
  EXPECT_EQ(window.messages().size(), 10u);  // one per command, before any traffic
  EXPECT_EQ(dialog.customerId(), (std::array<std::uint8_t, 2>{0x12, 0x34}));
  window.SetControlText(kIdcServiceCid, "FFFF😀");
  dialog.OnCreateWriteCard();
  EXPECT_EQ(dialog.serviceCid(), 0xFFFF);
  EXPECT_EQ(Card(4, 6), (V{0xFF, 0xFF}));
  EXPECT_EQ(writer.slot().memory[255], 0x20);

  window.SetControlText(kIdcServiceCid, "");
  dialog.OnCreateWriteCard();
  EXPECT_EQ(dialog.serviceCid(), 0);
  EXPECT_EQ(writer.slot().memory[255], 0x00);  // 1006 unticked: an ordinary content card
  EXPECT_EQ(Card(9, 11), (V{0x00, 0x00}));
}

TEST_F(CardTest, UidSettingCards) {
  window.SetCheck(kIdcUidCardCheck, 1);
  dialog.OnWriteCard();  // no start UID typed since start
  EXPECT_EQ(Card(0, 6), (V{0x4D, 0x76, 0xFF, 0x03, 0x00, 0x00}));
  EXPECT_EQ(Card(6, 256), V(250, 0x00));

  window.SetControlText(kIdcServiceCid, "1A2B");
  dialog.OnCreateWriteCard();
  EXPECT_EQ(Card(0, 6), (V{0x4D, 0x76, 0xFF, 0x03, 0x1A, 0x2B}));
  EXPECT_EQ(dialog.customerId(), (std::array<std::uint8_t, 2>{0x12, 0x34}));
  EXPECT_EQ(dialog.serviceCid(), 0x1A2B);

  window.SetControlText(kIdcServiceCid, "0777");
  dialog.OnCreateReadCard();  // still the UID card, but the values change for later
  EXPECT_EQ(Card(0, 6), (V{0x4D, 0x76, 0xFF, 0x03, 0x1A, 0x2B}));
  EXPECT_EQ(dialog.customerId(), (std::array<std::uint8_t, 2>{0x07, 0x77}));
  EXPECT_EQ(dialog.readCardMark(), 1);
  EXPECT_TRUE(window.messages().empty());
}

TEST_F(CardTest, ReadCardAndItsLastingMark) {
  window.SetControlText(kIdcUrl, "abc");
  window.SetControlText(kIdcServiceCid, "1A2B");
  dialog.OnCreateReadCard();
  EXPECT_EQ(Card(4, 6), (V{0x1A, 0x2B}));
  EXPECT_EQ(Card(8, 16), V(8, 0xFF));
  EXPECT_EQ(writer.slot().memory[255], 0x20);
  dialog.OnWriteCard();  // later writes keep the mark
  EXPECT_EQ(Card(8, 16), V(8, 0xFF));
}

TEST_F(CardTest, CancelledDetectionStillChangesTheServiceValues) {
  writer.RemoveCard();
  window.SetControlText(kIdcServiceCid, "1A2B");
  dialog.OnCreateWriteCard();
  EXPECT_EQ(Count(RequestKind::kBlockWrite), 0);
  EXPECT_EQ(dialog.serviceCid(), 0x1A2B);
  EXPECT_EQ(dialog.customerId(), (std::array<std::uint8_t, 2>{0x1A, 0x2B}));
}

TEST_F(CardTest, DumpListsTheWholeCard) {
  for (std::size_t i = 0; i < 256; ++i) writer.slot().memory[i] = static_cast<std::uint8_t>(i);
  dialog.OnDumpCard();
  EXPECT_EQ(Count(RequestKind::kBlockRead), 16);
  const std::string& listing = window.text(kIdcReport);
  ASSERT_EQ(listing.size(), 832u);
  EXPECT_EQ(listing.substr(3 * 52, 52),
            "303132333435363738393A3B3C3D3E3F  0123456789:;<=>?\r\n");
  EXPECT_EQ(window.cursorDepthAtReport, 1) << "the listing is shown before the wait cursor ends";
  EXPECT_EQ(window.waitCursorDepth(), 0);
}

}  // namespace
}  // namespace morvik
