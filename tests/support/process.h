// Running the tool's programs from a test: a command to completion with its
// output, and the writer simulator in the background on a private port folder.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace morvik::test {

struct CommandResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
  return text;
}

inline pid_t Spawn(const std::vector<std::string>& args, int outFd, int errFd) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outFd, 1);
  posix_spawn_file_actions_adddup2(&actions, errFd, 2);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Waits for the child; one that has not ended by the deadline is killed, so a
// run that hangs fails its test with what it said so far instead of leaving
// CTest to kill the whole test without it.
inline bool WaitWithin(pid_t pid, int& status, int seconds) {
  for (int waited = 0; waited < seconds * 50; ++waited) {
    const pid_t ended = waitpid(pid, &status, WNOHANG);
    if (ended == -1 && errno == EINTR) continue;
    if (ended != 0) return ended == pid;
    usleep(20000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return false;
}

// Runs to completion (two minutes at most); stdout and stderr go through files
// so that neither pipe fills.
inline CommandResult RunCommand(const std::vector<std::string>& args) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path();
  const std::string outPath = dir / ("morvik-out-" + std::to_string(getpid()));
  const std::string errPath = dir / ("morvik-err-" + std::to_string(getpid()));
  const int out = open(outPath.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
  const int err = open(errPath.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
  CommandResult result;
  const pid_t pid = Spawn(args, out, err);
  int status = 0;
  const bool ended = pid > 0 && WaitWithin(pid, status, 120);
  if (ended && WIFEXITED(status)) result.status = WEXITSTATUS(status);
  lseek(out, 0, SEEK_SET);
  lseek(err, 0, SEEK_SET);
  result.out = ReadAll(out);
  result.err = ReadAll(err) + (pid > 0 && !ended ? "\n[killed: still running after 120 s]\n" : "");
  close(out);
  close(err);
  std::filesystem::remove(outPath);
  std::filesystem::remove(errPath);
  return result;
}

// morvik-writer-sim in the background, on its own port folder (or the one
// given), which is also made this process's MORVIK_PORT_DIR. Stopped (and its
// card saved) on destruction. Its trace (every frame with its time) and what
// else it said on stderr are kept, for a failed check to show.
class Simulator {
 public:
  explicit Simulator(std::vector<std::string> options, std::string portDir = {}) : portDir_(std::move(portDir)) {
    char pattern[] = "/tmp/morvik-test-ports.XXXXXX";
    if (portDir_.empty()) portDir_ = mkdtemp(pattern);
    errPath_ = portDir_ + "/sim-stderr." + std::to_string(++started_);
    setenv("MORVIK_PORT_DIR", portDir_.c_str(), 1);
    int fds[2];
    if (pipe(fds) != 0) return;
    std::vector<std::string> args{MORVIK_WRITER_SIM, "--port-dir", portDir_, "--trace"};
    args.insert(args.end(), options.begin(), options.end());
    const int errFd = open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_ = Spawn(args, fds[1], errFd);
    close(fds[1]);
    close(errFd);
    ready_ = ReadLine(fds[0]).rfind("ready", 0) == 0;
    close(fds[0]);
  }
  ~Simulator() { Stop(); std::filesystem::remove_all(portDir_); }

  bool ready() const { return ready_; }
  const std::string& portDir() const { return portDir_; }
  // Ends the simulator as SIGTERM does; it saves its card file first.
  void Stop() { End(SIGTERM); }
  // Ends it as a crash would: nothing of it runs to clean up.
  void Kill() { End(SIGKILL); }
  std::string errors() const {
    const int fd = open(errPath_.c_str(), O_RDONLY);
    std::string text = fd >= 0 ? ReadAll(fd) : "";
    if (fd >= 0) close(fd);
    return text;
  }

 private:
  static std::string ReadLine(int fd) {
    std::string line;
    char c;
    while (read(fd, &c, 1) == 1 && c != '\n') line += c;
    return line;
  }

  void End(int signal) {
    if (pid_ <= 0) return;
    kill(pid_, signal);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  static inline int started_ = 0;
  std::string portDir_;
  std::string errPath_;
  pid_t pid_ = -1;
  bool ready_ = false;
};

}  // namespace morvik::test
