// How close the tool comes to what the writer's protocol itself costs.
//
// Runs a connect, a content write and a dump against morvik-writer-sim paced at
// 19200 baud on a pseudo-terminal, and prints each as measured / floor. The
// floor is the bytes on the wire at 19200 baud (10 bit times each), the 200 ms
// of silence that ends every reply, and the start-up sequence's own waits.
// Also prints the CPU time a write costs, as a share of its wall time.
#include <time.h>

#include <cstdio>
#include <functional>
#include <memory>

#include "card/card_operations.h"
#include "content/terminal_settings.h"
#include "link/system_serial.h"
#include "tests/support/process.h"
#include "window/control_ids.h"
#include "window/headless_window.h"

namespace morvik {
namespace {

constexpr double kByteMs = 10.0 * 1000.0 / 19200.0;
constexpr double kSilenceMs = 200.0;

// Frame sizes: payload length plus seven.
constexpr int Frame(int payload) { return payload + 7; }

double ExchangesFloorMs(int exchanges, int bytes) { return exchanges * kSilenceMs + bytes * kByteMs; }

constexpr int kDetectionBytes = Frame(2) + Frame(10);

double ConnectFloorMs() {
  const int bytes = Frame(2) + Frame(8) + Frame(4) + Frame(0) + Frame(2) + Frame(0) +
                    2 * (Frame(1) + Frame(0));
  return 500 + 100 + ExchangesFloorMs(5, bytes);
}

double WriteFloorMs() { return ExchangesFloorMs(1 + 64, kDetectionBytes + 64 * (Frame(16) + Frame(0))); }

double DumpFloorMs() { return ExchangesFloorMs(1 + 16, kDetectionBytes + 16 * (Frame(12) + Frame(17))); }

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

void Report(const char* what, Measured measured, double floorMs) {
  std::printf("%-8s measured %8.1f ms  floor %8.1f ms  ratio %.4f\n", what, measured.wallMs, floorMs,
              measured.wallMs / floorMs);
}

int Main() {
  test::Simulator simulator({"--com", "1", "--pace"});
  if (!simulator.ready()) {
    std::fprintf(stderr, "protocol_bench: the simulator did not start\n");
    return 1;
  }
  const std::unique_ptr<SerialPlatform> platform = MakeSystemSerialPlatform();
  SystemClock clock;
  HeadlessWindow window;
  CardOperations dialog(*platform, window, clock);

  const Measured connect = Time([&] { dialog.ConnectWriter(); });
  if (dialog.connectedPort() != "COM1") return 1;
  FillSettingsLists(window);
  window.SetControlText(kIdcUrl, "http://www.example.com/D/?CI=[CI]&UI=[UI]&IDm=[IM][CT]");
  window.SetControlText(kIdcPopup, "ポップアップサンプル");
  const Measured write = Time([&] { dialog.OnWriteCard(); });
  const Measured dump = Time([&] { dialog.OnDumpCard(); });
  if (!window.messages().empty()) {
    std::fprintf(stderr, "protocol_bench: %s\n", window.messages()[0].text.c_str());
    return 1;
  }

  Report("connect", connect, ConnectFloorMs());
  Report("write", write, WriteFloorMs());
  Report("dump", dump, DumpFloorMs());
  std::printf("write    cpu %.1f ms = %.3f%% of wall time\n", write.cpuMs,
              100.0 * write.cpuMs / write.wallMs);
  return 0;
}

}  // namespace
}  // namespace morvik

int main() { return morvik::Main(); }
