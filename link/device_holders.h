// Which other programs hold a device open, as the system tells (Linux: the
// file descriptors listed under /proc). A program may keep a serial device
// open without any lock, and would then compete with us for its bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace morvik {

// The processes other than this one with the device of this open descriptor
// open, each as "minicom (pid 4242)". The program at the other end of a
// pseudo-terminal (the one holding its master side) is the line itself, not
// a holder. Empty when none, or where the system does not tell.
std::vector<std::string> OtherHoldersOf(int fd);

// The pseudo-terminal number a /proc fdinfo text names ("tty-index:\t3"), -1 when none.
int TtyIndexOf(std::string_view fdinfo);

}  // namespace morvik
