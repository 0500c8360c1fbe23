// A pseudo-terminal standing in for a serial port. The simulator holds the
// master side; the tool opens the slave side through a link named COMn in the
// port directory.
//
// The simulator also keeps a slave descriptor of its own, set raw at once and
// never read: without it the master sees a hang-up for ever once the tool
// closes its port, and a reopened port would start in cooked mode (where the
// ETX byte 0x03 is an interrupt).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace morvik::sim {

class PtyPort {
 public:
  // Takes the lock dir/COMn.lock, makes the pty and the link dir/COMn
  // (replacing a link a simulator that is gone left there). nullptr with a
  // reason in error when that fails, as when another simulator holds the lock.
  static std::unique_ptr<PtyPort> Create(const std::string& dir, int com, std::string& error);

  ~PtyPort();
  PtyPort(const PtyPort&) = delete;
  PtyPort& operator=(const PtyPort&) = delete;

  enum class IoResult { kDone, kToolNotReading, kGone };

  // Appends what the tool has sent so far; never waits.
  IoResult ReadAvailable(std::vector<std::uint8_t>& out);
  // Hands bytes to the tool. Bytes it does not take up (its input queue is
  // full because nobody reads) are dropped rather than waited for.
  IoResult Write(std::span<const std::uint8_t> bytes);

  // Removes the link and closes both sides: the tool's reads then end at once
  // and its writes fail, as when a writer is unplugged.
  void Close();
  bool isOpen() const { return masterFd_ >= 0; }

  int masterFd() const { return masterFd_; }
  int com() const { return com_; }
  const std::string& slavePath() const { return slavePath_; }
  const std::string& linkPath() const { return linkPath_; }
  // Where the link this port replaced pointed; empty when there was none.
  const std::string& replacedLink() const { return replacedLink_; }

 private:
  PtyPort(int com, std::string linkPath) : com_(com), linkPath_(std::move(linkPath)) {}
  bool Lock(std::string& error);
  bool Open(std::string& error);

  int com_;
  std::string linkPath_;
  std::string slavePath_;
  std::string replacedLink_;
  int lockFd_ = -1;
  int masterFd_ = -1;
  int slaveFd_ = -1;
  bool linked_ = false;
};

}  // namespace morvik::sim
