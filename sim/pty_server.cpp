// morvik-writer-sim: one simulated card writer on a pseudo-terminal, linked
// as $MORVIK_PORT_DIR/COMn, until SIGTERM or SIGINT.
#include <poll.h>
#include <signal.h>

#include <sched.h>
#include <sys/resource.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/pty_port.h"
#include "sim/server_options.h"
#include "sim/writer_model.h"

namespace morvik::sim {
namespace {

using SteadyClock = std::chrono::steady_clock;

// 10 bits per byte at 19200 baud.
constexpr std::chrono::nanoseconds kByteTime{10'000'000'000LL / 19200};

volatile sig_atomic_t stopRequested = 0;

void OnStopSignal(int) { stopRequested = 1; }

std::string Hex(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (std::uint8_t b : bytes) {
    char digits[4];
    std::snprintf(digits, sizeof digits, text.empty() ? "%02X" : " %02X", b);
    text += digits;
  }
  return text;
}

// The card file holds the 256 bytes of card memory and nothing else.
bool LoadCardFile(const std::string& path, CardImage& memory, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return true;  // not there yet: the card starts blank
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
  if (bytes.size() != memory.size()) {
    error = path + " holds " + std::to_string(bytes.size()) + " bytes, not " +
            std::to_string(memory.size());
    return false;
  }
  std::copy(bytes.begin(), bytes.end(), memory.begin());
  return true;
}

// Written beside and renamed into place, so a reader never sees half a card.
void SaveCardFile(const std::string& path, const CardImage& memory) {
  if (path.empty()) return;
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(memory.data()), static_cast<std::streamsize>(memory.size()));
    if (!out) {
      std::fprintf(stderr, "morvik-writer-sim: cannot write %s\n", temporary.c_str());
      return;
    }
  }
  std::rename(temporary.c_str(), path.c_str());
}

// Card files and trace lines are written by a thread of their own: a disk
// that is slow for a moment (other programs writing: the kernel then holds
// up any writer of a file for a while) must not hold up the reply to the next
// request, as a writer's own memory never would. Of several states of one
// card file waiting, the latest is written; lines keep their order.
class DiskWriter {
 public:
  DiskWriter() : thread_([this] { Run(); }) {}
  ~DiskWriter() {
    {
      std::lock_guard lock(mutex_);
      ending_ = true;
    }
    wake_.notify_one();
    thread_.join();  // after everything handed over is written
  }
  DiskWriter(const DiskWriter&) = delete;
  DiskWriter& operator=(const DiskWriter&) = delete;

  void Save(const std::string& path, const CardImage& memory) {
    if (path.empty()) return;
    {
      std::lock_guard lock(mutex_);
      if (!waiting_.empty() && waiting_.back().path == path) {
        waiting_.back().memory = memory;
      } else {
        waiting_.push_back({path, memory, {}});
      }
    }
    wake_.notify_one();
  }

  // A line for standard error.
  void Print(std::string line) {
    {
      std::lock_guard lock(mutex_);
      waiting_.push_back({{}, {}, std::move(line)});
    }
    wake_.notify_one();
  }

 private:
  struct Work {
    std::string path;  // empty: a line to print
    CardImage memory;
    std::string line;
  };

  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return !waiting_.empty() || ending_; });
      if (waiting_.empty()) return;
      const Work work = std::move(waiting_.front());
      waiting_.pop_front();
      lock.unlock();
      if (work.path.empty()) {
        std::fputs(work.line.c_str(), stderr);
      } else {
        SaveCardFile(work.path, work.memory);
      }
      lock.lock();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Work> waiting_;
  bool ending_ = false;
  std::thread thread_;
};

// A writer answers from a processor of its own whatever else the PC is doing:
// the simulator asks to run ahead of ordinary programs (a real-time class,
// else a larger share) where the system lets it, and runs as it is otherwise.
void RunAheadOfOrdinaryPrograms() {
  sched_param lowestRealTime{};
  lowestRealTime.sched_priority = sched_get_priority_min(SCHED_FIFO);
  if (sched_setscheduler(0, SCHED_FIFO, &lowestRealTime) != 0) setpriority(PRIO_PROCESS, 0, -10);
}

// The port COMn, saying so when it replaces a link a simulator that is gone
// left behind.
std::unique_ptr<PtyPort> CreatePort(const std::string& dir, int com, std::string& error) {
  std::unique_ptr<PtyPort> port = PtyPort::Create(dir, com, error);
  if (port && !port->replacedLink().empty()) {
    std::fprintf(stderr, "morvik-writer-sim: COM%d: replaced the link to %s left by a simulator that is gone\n",
                 com, port->replacedLink().c_str());
  }
  return port;
}

// Serves the model on its pty: frames in, replies out, optionally at the pace
// of a real 19200 baud line.
class WriterServer {
 public:
  WriterServer(const ServerOptions& options, WriterModel& model, std::unique_ptr<PtyPort>& port,
               DiskWriter& disk)
      : options_(options), model_(model), port_(port), disk_(disk) {}

  void ServeInput() {
    std::vector<std::uint8_t> input;
    if (port_->ReadAvailable(input) == PtyPort::IoResult::kGone) {
      port_->Close();
      return;
    }
    for (std::uint8_t byte : input) {
      TakeByte(byte);
      if (!port_->isOpen()) return;
    }
  }

  // The operator acts on the time that has passed.
  void AdvanceModel() {
    const bool present = model_.slot().present;
    model_.AdvanceTo(std::chrono::duration_cast<std::chrono::milliseconds>(
                         SteadyClock::now() - started_).count());
    if (present != model_.slot().present) {
      TraceLine("card " + std::to_string(model_.cardsPlaced()) + (present ? " taken off" : " put on"));
    }
  }

  bool replugPending() const { return replugAt_.has_value(); }

  // A new pty under the same name, as a writer plugged in again.
  void ReplugWhenDue() {
    if (!replugAt_ || SteadyClock::now() < *replugAt_) return;
    replugAt_.reset();
    std::string error;
    port_ = CreatePort(options_.portDir, options_.com, error);
    if (!port_) disk_.Print("morvik-writer-sim: " + error + "\n");
    TraceLine("plugged in again");
  }

  // With an operator each card has its own file: FILE.1, FILE.2, ...
  std::string CardFilePath() const {
    if (options_.cardFile.empty() || !model_.operatorActive()) return options_.cardFile;
    return options_.cardFile + "." + std::to_string(model_.cardsPlaced());
  }

 private:
  void TakeByte(std::uint8_t byte) {
    // The tool's bytes reach us at once; a real line delivers one per byte time.
    requestArrived_ = std::max(requestArrived_, SteadyClock::now()) + kByteTime;
    const std::size_t requestsBefore = model_.requests().size();
    const std::uint64_t writesBefore = model_.blockWrites();
    AdvanceModel();
    const std::vector<std::uint8_t> reply = model_.Receive(std::span(&byte, 1));
    if (model_.requests().size() > requestsBefore) Trace('>', model_.requests().back());
    if (model_.requests().size() > requestsBefore && UnplugDue(writesBefore)) {
      Unplug();
      return;
    }
    if (!reply.empty()) SendReply(reply);
    if (model_.blockWrites() != writesBefore) disk_.Save(CardFilePath(), model_.slot().memory);
    if (model_.lineDropped()) {
      TraceLine("line dropped");
      port_->Close();
    }
  }

  bool UnplugDue(std::uint64_t writesBefore) const {
    return options_.unplugAfterWrites > 0 && !unplugged_ &&
           writesBefore >= static_cast<std::uint64_t>(options_.unplugAfterWrites);
  }

  void Unplug() {
    TraceLine("unplugged");
    unplugged_ = true;
    port_->Close();
    replugAt_ = SteadyClock::now() + std::chrono::milliseconds(options_.unpluggedMs);
  }

  void SendReply(const std::vector<std::uint8_t>& reply) {
    Trace('<', reply);
    const std::chrono::milliseconds answerTime(options_.latencyMs);
    if (!options_.pace) {
      std::this_thread::sleep_for(answerTime);
      Report(port_->Write(reply));
      return;
    }
    SteadyClock::time_point due = std::max(requestArrived_, SteadyClock::now()) + answerTime;
    for (std::uint8_t byte : reply) {
      due += kByteTime;
      std::this_thread::sleep_until(due);
      if (Report(port_->Write(std::span(&byte, 1))) != PtyPort::IoResult::kDone) return;
    }
  }

  PtyPort::IoResult Report(PtyPort::IoResult result) {
    if (result == PtyPort::IoResult::kToolNotReading) TraceLine("reply dropped: nobody reads the port");
    if (result == PtyPort::IoResult::kGone) port_->Close();
    return result;
  }

  void Trace(char direction, std::span<const std::uint8_t> bytes) const {
    TraceLine(std::string(1, direction) + " " + Hex(bytes));
  }

  // Seconds since the start, as the tool's trace gives them: the two traces
  // side by side show which side kept the other waiting.
  void TraceLine(const std::string& text) const {
    if (!options_.trace) return;
    const std::chrono::duration<double> since = SteadyClock::now() - started_;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f ", since.count());
    disk_.Print(seconds + text + "\n");
  }

  const ServerOptions& options_;
  WriterModel& model_;
  std::unique_ptr<PtyPort>& port_;
  DiskWriter& disk_;
  std::optional<SteadyClock::time_point> replugAt_;
  bool unplugged_ = false;
  SteadyClock::time_point requestArrived_{};
  SteadyClock::time_point started_ = SteadyClock::now();
};

// SIGTERM and SIGINT are held back except while waiting in ppoll, so a stop
// request always ends the wait instead of slipping in between two checks.
void PrepareSignals(sigset_t& waitMask) {
  struct sigaction action{};
  action.sa_handler = OnStopSignal;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
  sigset_t blocked;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGTERM);
  sigaddset(&blocked, SIGINT);
  sigprocmask(SIG_BLOCK, &blocked, &waitMask);
  sigdelset(&waitMask, SIGTERM);
  sigdelset(&waitMask, SIGINT);
}

void DrainSilentPort(PtyPort& port) {
  std::vector<std::uint8_t> discarded;
  if (port.ReadAvailable(discarded) == PtyPort::IoResult::kGone) port.Close();
}

void Serve(WriterServer& server, const WriterModel& model, std::unique_ptr<PtyPort>& writerPort,
           std::vector<std::unique_ptr<PtyPort>>& silentPorts, const sigset_t& waitMask) {
  while (!stopRequested) {
    server.ReplugWhenDue();
    std::vector<PtyPort*> ports{writerPort.get()};
    for (auto& port : silentPorts) ports.push_back(port.get());
    // A closed port has fd -1, which poll passes over.
    std::vector<pollfd> fds;
    for (PtyPort* port : ports) fds.push_back({port != nullptr ? port->masterFd() : -1, POLLIN, 0});
    // An operator, or a writer to plug in again, needs the time to pass also
    // while the tool is silent.
    const timespec tick{0, 20'000'000};
    const bool ticking = model.operatorActive() || server.replugPending();
    const int ready = ppoll(fds.data(), fds.size(), ticking ? &tick : nullptr, &waitMask);
    if (model.operatorActive()) server.AdvanceModel();
    if (ready <= 0) continue;
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].revents == 0) continue;
      if (i == 0) {
        server.ServeInput();
      } else {
        DrainSilentPort(*ports[i]);
      }
    }
  }
}

bool CreateSilentPorts(const ServerOptions& options,
                       std::vector<std::unique_ptr<PtyPort>>& ports, std::string& error) {
  for (int com : options.silentComs) {
    std::unique_ptr<PtyPort> port = CreatePort(options.portDir, com, error);
    if (!port) return false;
    ports.push_back(std::move(port));
  }
  return true;
}

bool PrepareModel(const ServerOptions& options, WriterModel& model, std::string& error) {
  model.slot() = CardSlot{!options.noCard, options.idm, {}};
  Faults faults = options.faults;
  // Writers on different ports garble their replies differently.
  if (faults.garbleSeed == 0) faults.garbleSeed = static_cast<std::uint32_t>(options.com);
  model.SetFaults(faults);
  if (options.operatorPlan.cards > 0) {
    OperatorPlan plan = options.operatorPlan;
    plan.firstIdm = options.idm;
    model.StartOperator(plan, 0);
    return true;
  }
  return options.cardFile.empty() || LoadCardFile(options.cardFile, model.slot().memory, error);
}

int Run(int argc, char** argv) {
  ServerOptions options;
  std::string error;
  if (!ParseServerOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "morvik-writer-sim: %s\n%s", error.c_str(), ServerUsage());
    return 2;
  }
  if (options.help) {
    std::fputs(ServerUsage(), stdout);
    return 0;
  }
  if (options.portDir.empty()) {
    std::fprintf(stderr, "morvik-writer-sim: no port directory (--port-dir or MORVIK_PORT_DIR)\n");
    return 2;
  }

  WriterModel model(options.identity);
  if (!PrepareModel(options, model, error)) {
    std::fprintf(stderr, "morvik-writer-sim: %s\n", error.c_str());
    return 1;
  }

  sigset_t waitMask;
  PrepareSignals(waitMask);
  RunAheadOfOrdinaryPrograms();

  std::unique_ptr<PtyPort> writerPort = CreatePort(options.portDir, options.com, error);
  std::vector<std::unique_ptr<PtyPort>> silentPorts;
  if (!writerPort || !CreateSilentPorts(options, silentPorts, error)) {
    std::fprintf(stderr, "morvik-writer-sim: %s\n", error.c_str());
    return 1;
  }
  std::printf("ready COM%d %s\n", options.com, writerPort->slavePath().c_str());
  std::fflush(stdout);

  {
    DiskWriter disk;
    WriterServer server(options, model, writerPort, disk);
    Serve(server, model, writerPort, silentPorts, waitMask);
    disk.Save(server.CardFilePath(), model.slot().memory);
  }
  if (options.faults.garbleOneIn > 0) {
    std::fprintf(stderr, "morvik-writer-sim: COM%d: %d of %d replies garbled\n", options.com,
                 model.garbledReplies(), model.repliesSent());
  }
  return 0;
}

}  // namespace
}  // namespace morvik::sim

// What escapes is a fault of ours: one line, not an abort.
int main(int argc, char** argv) {
  try {
    return morvik::sim::Run(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "morvik-writer-sim: unexpected failure: %s\n", error.what());
  } catch (...) {
    std::fprintf(stderr, "morvik-writer-sim: unexpected failure\n");
  }
  return 1;
}
