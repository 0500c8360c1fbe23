#include "link/device_holders.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace morvik {
namespace {

constexpr unsigned kPtySlaveMajorFirst = 136;  // Unix98 pseudo-terminal slaves: majors 136-143
constexpr unsigned kPtySlaveMajorLast = 143;
constexpr unsigned kPtmxMajor = 5;  // /dev/ptmx, whose every open is a master side
constexpr unsigned kPtmxMinor = 2;

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
  }
  closedir(dir);
  return names;
}

std::string FileText(const std::string& path) {
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

bool IsNumber(const std::string& name) {
  return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
}

// The pseudo-terminal number of a slave device, -1 for any other device.
int PtyIndexOf(dev_t device) {
  const unsigned major = ::major(device);
  if (major < kPtySlaveMajorFirst || major > kPtySlaveMajorLast) return -1;
  return static_cast<int>((major - kPtySlaveMajorFirst) * 256 + ::minor(device));
}

struct ProcessHold {
  bool device = false;  // has the device open
  bool master = false;  // has the master side of the pseudo-terminal open
};

ProcessHold HoldOf(const std::string& pid, dev_t device, int ptyIndex) {
  ProcessHold hold;
  const std::string fdFolder = "/proc/" + pid + "/fd/";
  for (const std::string& fd : Entries(fdFolder)) {
    struct stat target {};
    if (stat((fdFolder + fd).c_str(), &target) != 0 || !S_ISCHR(target.st_mode)) continue;
    if (target.st_rdev == device) hold.device = true;
    const bool ptmx = ::major(target.st_rdev) == kPtmxMajor && ::minor(target.st_rdev) == kPtmxMinor;
    if (ptyIndex >= 0 && ptmx &&
        TtyIndexOf(FileText("/proc/" + pid + "/fdinfo/" + fd)) == ptyIndex) {
      hold.master = true;
    }
  }
  return hold;
}

std::string ProgramName(const std::string& pid) {
  std::string name = FileText("/proc/" + pid + "/comm");
  while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
  return (name.empty() ? "a program" : name) + " (pid " + pid + ")";
}

}  // namespace

int TtyIndexOf(std::string_view fdinfo) {
  constexpr std::string_view kKey = "tty-index:";
  for (std::size_t at = fdinfo.find(kKey); at != std::string_view::npos; at = fdinfo.find(kKey, at + 1)) {
    if (at != 0 && fdinfo[at - 1] != '\n') continue;
    const std::string value(fdinfo.substr(at + kKey.size(), 16));
    char* end = nullptr;
    const long index = std::strtol(value.c_str(), &end, 10);
    return end == value.c_str() || index < 0 ? -1 : static_cast<int>(index);
  }
  return -1;
}

std::vector<std::string> OtherHoldersOf(int fd) {
  std::vector<std::string> holders;
  struct stat own {};
  if (fstat(fd, &own) != 0 || !S_ISCHR(own.st_mode)) return holders;
  const int ptyIndex = PtyIndexOf(own.st_rdev);
  const std::string self = std::to_string(getpid());
  for (const std::string& pid : Entries("/proc")) {
    if (!IsNumber(pid) || pid == self) continue;
    const ProcessHold hold = HoldOf(pid, own.st_rdev, ptyIndex);
    if (hold.device && !hold.master) holders.push_back(ProgramName(pid));
  }
  return holders;
}

}  // namespace morvik
