// A long shift at the writer: 200 content cards written in a row on the
// in-process writer must leave the heap as they found it. The global
// allocation functions are replaced here to count the bytes in use, which is
// why this test has an executable of its own.
#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "card/card_operations.h"
#include "content/terminal_settings.h"
#include "sim/loopback_serial.h"
#include "window/control_ids.h"
#include "window/headless_window.h"

namespace {
std::atomic<long long> liveBytes{0};
std::atomic<long long> allocations{0};

void* Allocate(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  liveBytes += static_cast<long long>(malloc_usable_size(block));
  ++allocations;
  return block;
}

void Release(void* block) {
  if (block == nullptr) return;
  liveBytes -= static_cast<long long>(malloc_usable_size(block));
  std::free(block);
}
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }

namespace morvik {
namespace {

constexpr int kCards = 200;
constexpr int kWarmUp = 5;

TEST(MemoryGrowth, TwoHundredCardsInARowLeaveTheHeapAsItWas) {
  sim::VirtualClock clock;
  sim::LoopbackPlatform platform(clock);
  sim::WriterModel writer;
  platform.AttachWriter(1, writer);
  HeadlessWindow window;
  CardOperations ops(platform, window, clock);
  ops.ConnectWriter();
  FillSettingsLists(window);
  window.SetControlText(kIdcUrl, "https://example.jp/[CI]?id=[IM][CT]");
  window.SetControlText(kIdcPopup, "ポップアップサンプル");

  long long afterWarmUp = 0;
  const long long allocationsBefore = allocations;
  for (int card = 1; card <= kCards; ++card) {
    ops.OnWriteCard();
    // The simulator keeps a log of every request and byte for tests to read;
    // that log is the writer's, not the tool's, so it is emptied per card.
    writer.ClearRequests();
    platform.port(1).received.clear();
    if (card == kWarmUp) afterWarmUp = liveBytes;
  }
  const long long growth = liveBytes - afterWarmUp;
  EXPECT_TRUE(window.messages().empty());
  EXPECT_EQ(writer.blockWrites(), 64u * kCards);
  EXPECT_EQ(growth, 0);
  RecordProperty("heap_growth_bytes", static_cast<int>(growth));
  std::printf(
      "memory: %d cards, heap in use after card %d: %lld bytes, growth to card %d: %lld bytes, "
      "%lld allocations\n",
      kCards, kWarmUp, afterWarmUp, kCards, growth, allocations - allocationsBefore);
}

}  // namespace
}  // namespace morvik
