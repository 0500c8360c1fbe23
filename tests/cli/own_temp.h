// Names in the temp folder that belong to this test process alone: the cases of
// one program run side by side, and so do the builds of other worktrees.
#pragma once

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace morvik::test {

inline std::string OwnTempPath(const std::string& name) {
#ifdef _WIN32
  const int pid = _getpid();
#else
  const int pid = getpid();
#endif
  return testing::TempDir() + "morvik-" + std::to_string(pid) + "-" + name;
}

}  // namespace morvik::test
