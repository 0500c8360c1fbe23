#include "sim/pty_port.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace morvik::sim {
namespace {

// Notes what failed and why (from errno); always false.
bool Fail(std::string& error, const std::string& what) {
  error = what + ": " + std::strerror(errno);
  return false;
}

bool SetRaw(int fd) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return false;
  cfmakeraw(&tio);
  cfsetispeed(&tio, B19200);
  cfsetospeed(&tio, B19200);
  tio.c_cflag |= CLOCAL | CREAD;
  return tcsetattr(fd, TCSANOW, &tio) == 0;
}

// Called with the port's lock held, so no simulator serves the port: a link
// there was left by one that did not end cleanly, and is replaced (its target
// noted) whatever it points at now. Anything else at that path is not ours to
// remove.
bool ClearStaleLink(const std::string& path, std::string& staleTarget, std::string& error) {
  struct stat st{};
  if (lstat(path.c_str(), &st) != 0) return errno == ENOENT || Fail(error, path);
  if (!S_ISLNK(st.st_mode)) {
    error = path + " exists and is not a link";
    return false;
  }
  std::array<char, 256> buffer{};
  const ssize_t length = readlink(path.c_str(), buffer.data(), buffer.size() - 1);
  staleTarget = length > 0 ? std::string(buffer.data(), static_cast<std::size_t>(length)) : "?";
  return unlink(path.c_str()) == 0 || Fail(error, path);
}

// Our link only: another simulator may have taken the name since.
bool LinksTo(const std::string& link, const std::string& target) {
  std::array<char, 256> buffer{};
  const ssize_t length = readlink(link.c_str(), buffer.data(), buffer.size());
  return length > 0 && std::string_view(buffer.data(), static_cast<std::size_t>(length)) == target;
}

}  // namespace

std::unique_ptr<PtyPort> PtyPort::Create(const std::string& dir, int com, std::string& error) {
  std::unique_ptr<PtyPort> port(new PtyPort(com, dir + "/COM" + std::to_string(com)));
  if (!port->Open(error)) return nullptr;
  return port;
}

// The lock beside the link is held while this port is open: the system lets
// it go when the simulator ends, however it ends.
bool PtyPort::Lock(std::string& error) {
  const std::string lockPath = linkPath_ + ".lock";
  lockFd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lockFd_ < 0) return Fail(error, lockPath);
  if (flock(lockFd_, LOCK_EX | LOCK_NB) == 0) return true;
  if (errno != EWOULDBLOCK) return Fail(error, lockPath);
  error = linkPath_ + " is served by another simulator";
  return false;
}

bool PtyPort::Open(std::string& error) {
  if (!Lock(error)) return false;
  masterFd_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (masterFd_ < 0) return Fail(error, "posix_openpt");
  if (grantpt(masterFd_) != 0 || unlockpt(masterFd_) != 0) return Fail(error, "grantpt");
  std::array<char, 128> name{};
  if (ptsname_r(masterFd_, name.data(), name.size()) != 0) return Fail(error, "ptsname");
  slavePath_ = name.data();

  slaveFd_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slaveFd_ < 0) return Fail(error, slavePath_);
  if (!SetRaw(slaveFd_)) return Fail(error, "tcsetattr");
  if (fcntl(masterFd_, F_SETFL, fcntl(masterFd_, F_GETFL) | O_NONBLOCK) != 0) {
    return Fail(error, "fcntl");
  }

  if (!ClearStaleLink(linkPath_, replacedLink_, error)) return false;
  if (symlink(slavePath_.c_str(), linkPath_.c_str()) != 0) return Fail(error, linkPath_);
  linked_ = true;
  return true;
}

PtyPort::~PtyPort() { Close(); }

void PtyPort::Close() {
  if (linked_ && LinksTo(linkPath_, slavePath_)) unlink(linkPath_.c_str());
  linked_ = false;
  if (slaveFd_ >= 0) ::close(slaveFd_);
  if (masterFd_ >= 0) ::close(masterFd_);
  if (lockFd_ >= 0) ::close(lockFd_);
  slaveFd_ = masterFd_ = lockFd_ = -1;
}

PtyPort::IoResult PtyPort::ReadAvailable(std::vector<std::uint8_t>& out) {
  if (masterFd_ < 0) return IoResult::kGone;
  std::array<std::uint8_t, 512> buffer{};
  for (;;) {
    const ssize_t n = ::read(masterFd_, buffer.data(), buffer.size());
    if (n > 0) {
      out.insert(out.end(), buffer.begin(), buffer.begin() + n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return IoResult::kDone;
    return IoResult::kGone;
  }
}

PtyPort::IoResult PtyPort::Write(std::span<const std::uint8_t> bytes) {
  if (masterFd_ < 0) return IoResult::kGone;
  while (!bytes.empty()) {
    const ssize_t n = ::write(masterFd_, bytes.data(), bytes.size());
    if (n > 0) {
      bytes = bytes.subspan(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return IoResult::kToolNotReading;
    return IoResult::kGone;
  }
  return IoResult::kDone;
}

}  // namespace morvik::sim
