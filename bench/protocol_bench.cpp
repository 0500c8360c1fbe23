// How close the tool comes to what the writer's protocol itself costs.
//
// Runs a connect, a content write and a dump against morvik-writer-sim paced at
// 19200 baud on a pseudo-terminal, and prints each as measured / floor; once
// with the default reply end, then with the fast one (morvik-card --fast)
// against a writer answering at once and one taking 20 ms per request
// (--latency 20). The floor is the bytes on the wire at 19200 baud (10 bit
// times each), the writer's answer time, what ends every reply (200 ms of
// silence, or the 5 ms guard after a complete frame in fast mode), and the
// start-up sequence's own waits (500 ms and 100 ms).
// Also prints the CPU time a write costs, as a share of its wall time, and the
// targets: default write <= 1.03 x floor; fast write <= 3.0 s and <= 1.10 x
// floor, also at 20 ms latency; CPU <= 5% of wall in fast mode.
#include <time.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "card/card_operations.h"
#include "content/terminal_settings.h"
#include "link/system_serial.h"
#include "tests/support/process.h"
#include "window/control_ids.h"
#include "window/headless_window.h"

namespace morvik {
namespace {

constexpr double kByteMs = 10.0 * 1000.0 / 19200.0;

struct Mode {
  const char* name;
  ReplyEnd end;
  int latencyMs;  // the simulator's answer time per request
};

constexpr Mode kModes[] = {
    {"default", ReplyEnd::kSilence, 0},
    {"fast", ReplyEnd::kFrameAndGuard, 0},
    {"fast+20ms", ReplyEnd::kFrameAndGuard, 20},
};

// Frame sizes: payload length plus seven.
constexpr int Frame(int payload) { return payload + 7; }

double ExchangesFloorMs(const Mode& mode, int exchanges, int bytes) {
  const double endMs = mode.end == ReplyEnd::kSilence ? kReplySilenceMs : kReplyGuardMs;
  return exchanges * (endMs + mode.latencyMs) + bytes * kByteMs;
}

constexpr int kDetectionBytes = Frame(2) + Frame(10);

double ConnectFloorMs(const Mode& mode) {
  const int bytes = Frame(2) + Frame(8) + Frame(4) + Frame(0) + Frame(2) + Frame(0) +
                    2 * (Frame(1) + Frame(0));
  return 500 + 100 + ExchangesFloorMs(mode, 5, bytes);
}

double WriteFloorMs(const Mode& mode) {
  return ExchangesFloorMs(mode, 1 + 64, kDetectionBytes + 64 * (Frame(16) + Frame(0)));
}

double DumpFloorMs(const Mode& mode) {
  return ExchangesFloorMs(mode, 1 + 16, kDetectionBytes + 16 * (Frame(12) + Frame(17)));
}

double Seconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct Measured {
  double wallMs;
  double cpuMs;
};

Measured Time(const std::function<void()>& work) {
  const double wall = Seconds(CLOCK_MONOTONIC);
  const double cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID);
  work();
  return {(Seconds(CLOCK_MONOTONIC) - wall) * 1000, (Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu) * 1000};
}

void Report(const std::string& what, Measured measured, double floorMs) {
  std::printf("%-18s measured %8.1f ms  floor %8.1f ms  ratio %.4f\n", what.c_str(),
              measured.wallMs, floorMs, measured.wallMs / floorMs);
}

void Target(const std::string& what, bool met) {
  std::printf("target %-38s %s\n", what.c_str(), met ? "met" : "MISSED");
}

struct Result {
  Measured connect, write, dump;
};

bool RunMode(const Mode& mode, Result& result) {
  test::Simulator simulator(
      {"--com", "1", "--pace", "--latency", std::to_string(mode.latencyMs)});
  if (!simulator.ready()) {
    std::fprintf(stderr, "protocol_bench: the simulator did not start\n");
    return false;
  }
  const std::unique_ptr<SerialPlatform> platform = MakeSystemSerialPlatform();
  SystemClock clock;
  HeadlessWindow window;
  CardOperations dialog(*platform, window, clock);
  dialog.SetReplyEnd(mode.end);

  result.connect = Time([&] { dialog.ConnectWriter(); });
  if (dialog.connectedPort() != "COM1") return false;
  FillSettingsLists(window);
  window.SetControlText(kIdcUrl, "http://www.example.com/D/?CI=[CI]&UI=[UI]&IDm=[IM][CT]");
  window.SetControlText(kIdcPopup, "ポップアップサンプル");
  result.write = Time([&] { dialog.OnWriteCard(); });
  result.dump = Time([&] { dialog.OnDumpCard(); });
  if (!window.messages().empty()) {
    std::fprintf(stderr, "protocol_bench: %s\n", window.messages()[0].text.c_str());
    return false;
  }
  const std::string name = mode.name;
  Report(name + " connect", result.connect, ConnectFloorMs(mode));
  Report(name + " write", result.write, WriteFloorMs(mode));
  Report(name + " dump", result.dump, DumpFloorMs(mode));
  std::printf("%-18s cpu %.1f ms = %.3f%% of wall time\n", (name + " write").c_str(),
              result.write.cpuMs, 100.0 * result.write.cpuMs / result.write.wallMs);
  return true;
}

int Main() {
  Result results[std::size(kModes)];
  for (std::size_t i = 0; i < std::size(kModes); ++i) {
    if (!RunMode(kModes[i], results[i])) return 1;
  }
  const auto ratio = [&](std::size_t i) {
    return results[i].write.wallMs / WriteFloorMs(kModes[i]);
  };
  const auto cpuShare = [&](std::size_t i) {
    return results[i].write.cpuMs / results[i].write.wallMs;
  };
  Target("default write <= 1.03 x floor", ratio(0) <= 1.03);
  for (std::size_t i : {1u, 2u}) {
    const std::string name = kModes[i].name;
    Target(name + " write <= 3.0 s", results[i].write.wallMs <= 3000);
    Target(name + " write <= 1.10 x floor", ratio(i) <= 1.10);
    Target(name + " write cpu <= 5% of wall", cpuShare(i) <= 0.05);
  }
  return 0;
}

}  // namespace
}  // namespace morvik

int main() { return morvik::Main(); }
