// Unusable names on POSIX systems: /dev/zero, a FIFO, a regular file whose reads fail.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/robustness/unusable_names.h"

namespace cvltest {

std::vector<UnusableName> unusableNames() {
  return {
      {"endless character device", [](const TempDir&) { return std::string("/dev/zero"); }},
      {"named pipe without a writer",
       [](const TempDir& dir) {
         const std::string path = (dir.path() / "p.out").string();
         EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
         return path;
       }},
      {"regular file whose reads fail",
       [](const TempDir&) { return std::string("/proc/self/mem"); }},
  };
}

void releaseWaitingOpen(const std::string& name) {
  ::close(::open(name.c_str(), O_RDWR | O_NONBLOCK));
}

}  // namespace cvltest
