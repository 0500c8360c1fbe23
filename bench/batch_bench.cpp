// Production runs against morvik-writer-sim paced at 19200 baud.
//
// 1. One card written and read back, as measured / floor: the floor is the
//    bytes of those 64 writes and 16 reads on the wire plus the 200 ms of
//    silence that ends each reply.
// 2. morvik-card batch with 1, 2 and 4 writers, an operator at each putting
//    CARDS cards on in turn: cards per minute, the speed-up over one writer,
//    and the tool's CPU time per writer as a share of one core.
//
// 3. With --fast, the journal: batch with and without --log (a file in the working
//    folder, on a real file system), and the time of its two durable appends
//    per card (started and result, each flushed and synced) as a share of a
//    card written and read back --fast; the target is at most 5 %.
//
// usage: batch_bench [CARDS] [--fast]   (default 10 cards per writer; --fast:
// replies end with their frame and a short guard, and the floor has no silences)
#include <sys/resource.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "card/card_operations.h"
#include "link/system_serial.h"
#include "production/journal.h"
#include "tests/support/process.h"
#include "window/headless_window.h"

namespace morvik {
namespace {

constexpr double kByteMs = 10.0 * 1000.0 / 19200.0;
constexpr double kSilenceMs = 200.0;
constexpr int Frame(int payload) { return payload + 7; }

bool fast = false;

// With --fast the floor is the bytes alone: the guard after each reply is the
// price of knowing that the reply has ended, and counts against the tool.
double WriteAndVerifyFloorMs() {
  const int exchanges = 64 + 16;
  const int bytes = 64 * (Frame(16) + Frame(0)) + 16 * (Frame(12) + Frame(17));
  return (fast ? 0 : exchanges * kSilenceMs) + bytes * kByteMs;
}

double NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double ChildrenCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  const auto ms = [](timeval t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double fastCardMs = 0;  // a card written and read back with replies ended by their frame

bool OneCard() {
  test::Simulator simulator({"--com", "1", "--pace"});
  if (!simulator.ready()) return false;
  const std::unique_ptr<SerialPlatform> platform = MakeSystemSerialPlatform();
  SystemClock clock;
  HeadlessWindow window;
  CardOperations card(*platform, window, clock);
  if (fast) card.SetReplyEnd(ReplyEnd::kFrameAndGuard);
  CardIdm idm{};
  if (!card.ConnectOnPort("COM1") || !card.DetectCard(idm)) return false;
  ContentImage image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i);
  const double start = NowMs();
  const bool good = card.WriteCardImage(image, idm) == kCardBlocks &&
                    card.VerifyCardImage(image, idm).status == VerifyResult::Status::kMatch;
  const double measured = NowMs() - start;
  if (fast) fastCardMs = measured;
  std::printf("card     write+verify measured %8.1f ms  floor %8.1f ms  ratio %.4f\n", measured,
              WriteAndVerifyFloorMs(), measured / WriteAndVerifyFloorMs());
  return good;
}

// Cards per minute of one batch run, or a negative number when it failed.
double Throughput(int writers, int cards, const std::vector<std::string>& extra = {}) {
  std::vector<std::unique_ptr<test::Simulator>> simulators;
  std::string ports;
  for (int w = 0; w < writers; ++w) {
    std::vector<std::string> options{"--com", std::to_string(w + 1), "--pace", "--operator",
                                     std::to_string(cards), "--idm", std::to_string(w + 1) + std::string(15, '0')};
    if (w > 0) options.insert(options.begin(), {"--port-dir", simulators[0]->portDir()});
    simulators.push_back(std::make_unique<test::Simulator>(options));
    if (!simulators.back()->ready()) return -1;
    ports += (w > 0 ? ",COM" : "COM") + std::to_string(w + 1);
  }
  setenv("MORVIK_PORT_DIR", simulators[0]->portDir().c_str(), 1);
  const double cpuBefore = ChildrenCpuMs();
  const double start = NowMs();
  std::vector<std::string> command{MORVIK_CARD, "batch", "--count", std::to_string(writers * cards),
                                   "--ports", ports, "--url", "abc"};
  if (fast) command.push_back("--fast");
  command.insert(command.end(), extra.begin(), extra.end());
  const test::CommandResult batch = test::RunCommand(command);
  const double wall = NowMs() - start;
  const double cpu = ChildrenCpuMs() - cpuBefore;
  if (batch.status != 0) {
    std::fprintf(stderr, "batch_bench: batch ended with %d\n%s", batch.status, batch.err.c_str());
    return -1;
  }
  const double perMinute = writers * cards / (wall / 60000.0);
  std::printf("batch    %d writer(s) x %d cards%s  %7.1f s  %6.2f cards/min  cpu %.3f%% of a core per writer\n",
              writers, cards, extra.empty() ? "" : " --log", wall / 1000.0, perMinute, 100.0 * cpu / wall / writers);
  return perMinute;
}

// Milliseconds per card of the journal's durable appends: a started and a
// result record each, as a run writes them.
double JournalMsPerCard(const std::string& path, int cards) {
  int error = 0;
  std::optional<JournalWriter> journal = JournalWriter::Open(path, error);
  if (!journal) return -1;
  CardRecord record{"2026-12-07T01:23:45Z", "COM1", "0123456789ABCDEF", CardResult::kOk, 0, 1.4, 0, 7, "A-001",
                    "0011223344556677", "8899AABBCCDDEEFF"};
  const double start = NowMs();
  for (int i = 0; i < cards; ++i) {
    if (!journal->Append(StartedJson(record), error) || !journal->Append(RecordJson(record), error)) return -1;
  }
  const double perCard = (NowMs() - start) / cards;
  return journal->Close(error) ? perCard : -1;
}

bool JournalCost(int cards) {
  const std::string path = "batch_bench.journal.jsonl";
  std::remove(path.c_str());
  const double without = Throughput(1, cards);
  const double with = Throughput(1, cards, {"--log", path});
  std::remove(path.c_str());
  const double syncMs = JournalMsPerCard(path, 200);
  std::remove(path.c_str());
  if (without <= 0 || with <= 0 || syncMs < 0) return false;
  std::printf("journal  --log / none: %.3fx cards/min\n", with / without);
  if (fastCardMs > 0) {
    const double share = 100.0 * syncMs / fastCardMs;
    std::printf("journal  two durable appends %.2f ms per card = %.2f%% of a --fast card (%.0f ms): %s (at most 5%%)\n",
                syncMs, share, fastCardMs, share <= 5.0 ? "met" : "NOT MET");
  }
  return true;
}

int Main(int argc, char** argv) {
  int cards = 10;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--fast") {
      fast = true;
    } else {
      cards = std::atoi(argv[i]);
    }
  }
  if (!OneCard()) {
    std::fprintf(stderr, "batch_bench: the single card did not go through\n");
    return 1;
  }
  const double one = Throughput(1, cards);
  for (int writers : {2, 4}) {
    const double many = Throughput(writers, cards);
    if (one <= 0 || many <= 0) return 1;
    std::printf("batch    %d writers / 1 writer: %.2fx\n", writers, many / one);
  }
  return !fast || JournalCost(cards) ? 0 : 1;
}

}  // namespace
}  // namespace morvik

int main(int argc, char** argv) { return morvik::Main(argc, argv); }
